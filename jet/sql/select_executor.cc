// SELECT: scan each table once, decoding only the columns the query names and keeping only
// the rows its own conditions let through; join bottom-up with hash joins; apply what is
// left of the conditions to the joined rows.
#include <algorithm>
#include <future>
#include <optional>
#include <system_error>

#include "jet/sql/binder.h"
#include "jet/sql/executor.h"
#include "jet/sql/hash_join.h"
#include "jet/sql/predicate.h"
#include "jet/sql/shared_scans.h"

namespace jet::sql {
namespace {

// A scan of a slot with no condition of its own is every row of the table: other queries of
// the connection may use it too.
bool isShareable(const SlotPlan& slot, const SharedScans* shared) {
  return shared && slot.filters.empty() && !slot.columns.empty();
}

// The table's rows from such a scan that another result of the connection still holds;
// nothing when there is none.
std::optional<TableRows> sharedRows(const SlotPlan& slot, SharedScans* shared) {
  if (!isShareable(slot, shared)) return std::nullopt;
  std::shared_ptr<ScannedTable> scan = shared->find(*slot.source, slot.def, slot.columns);
  if (!scan) return std::nullopt;
  TableRows t{slot.def, slot.link, slot.columns, {}, true, scan->rows};
  for (size_t c : slot.columns) {
    const size_t i = static_cast<size_t>(std::find(scan->columns.begin(), scan->columns.end(), c) - scan->columns.begin());
    t.stores.emplace_back(scan, &scan->stores[i]);  // keeps the whole scan alive
  }
  return t;
}

// The columns the slot needs of each row its own conditions let through, read through `pager`
// alone (so that it may run beside other scans). A file only read must hold the rows its
// definitions count: a query over one that lost some would give fewer rows without a word.
ScannedTable scanRows(const SlotPlan& slot, Pager& pager) {
  ScannedTable out{slot.columns, std::vector<ColumnStore>(slot.columns.size()), 0};
  TableScan scan(pager, slot.def, slot.columns, ScanOrder::kFirstPageFirst,
                 slot.source->writable() ? RowCountCheck::kNone : RowCountCheck::kCompare);
  auto get = [&scan](BoundColumn c) -> Value { return scan.value(static_cast<size_t>(c.store)); };
  while (scan.next()) {
    bool keep = true;
    for (const BoundExpr& f : slot.filters) {
      if (evaluate(f, get) != Truth::True) {
        keep = false;
        break;
      }
    }
    if (!keep) continue;
    for (size_t i = 0; i < out.stores.size(); ++i) out.stores[i].append(scan.value(i));
    ++out.rows;
  }
  if (out.rows >= UINT32_MAX) throw Error(errc::kUnspecified, "A table has too many rows.");
  // No row is added after the scan: give back the growth room and the text look-up tables
  // now, before the joins need their own memory.
  for (ColumnStore& store : out.stores) store.freeze();
  return out;
}

// A scan's rows as the result keeps them; a scan of every row is offered to later queries.
TableRows keptRows(const SlotPlan& slot, ScannedTable scanned, SharedScans* shared) {
  TableRows t{slot.def, slot.link, slot.columns, {}, false, scanned.rows};
  if (isShareable(slot, shared)) {
    auto kept = std::make_shared<ScannedTable>(std::move(scanned));
    for (ColumnStore& store : kept->stores) t.stores.emplace_back(kept, &store);
    t.shared = true;
    shared->remember(*slot.source, slot.def, kept);
  } else {
    for (ColumnStore& store : scanned.stores) t.stores.push_back(std::make_shared<ColumnStore>(std::move(store)));
  }
  return t;
}

// Every slot's rows. The tables that need scanning are scanned side by side, each but the last
// on a thread of its own: a scan only reads pages, through a pager of its own over the same
// file, and fills its own stores. (Splitting one large table's pages between two threads as
// well saved little and left 9 MB more behind in the heap for the rest of a run.)
std::vector<TableRows> scanTables(const std::vector<SlotPlan>& slots, SharedScans* shared) {
  struct ToScan {
    size_t slot;
    Pager pager;
    std::optional<ScannedTable> rows;
  };
  std::vector<std::optional<TableRows>> found(slots.size());
  std::vector<ToScan> scans;
  for (size_t i = 0; i < slots.size(); ++i) {
    found[i] = sharedRows(slots[i], shared);
    if (!found[i]) scans.push_back({i, slots[i].source->pager().reader(), {}});
  }
  std::vector<std::future<ScannedTable>> beside;
  for (size_t k = 0; k + 1 < scans.size(); ++k) {
    ToScan& s = scans[k];
    try {
      beside.push_back(std::async(std::launch::async, [&s, &slots] { return scanRows(slots[s.slot], s.pager); }));
    } catch (const std::system_error&) {
      break;  // no thread to be had: the rest are scanned here, one after another
    }
  }
  // Here: the last scan, and any no thread was started for. The futures wait for their
  // threads when left, so nothing they use goes away under them, even on an error.
  for (size_t k = beside.size(); k < scans.size(); ++k) scans[k].rows = scanRows(slots[scans[k].slot], scans[k].pager);
  for (size_t k = 0; k < beside.size(); ++k) scans[k].rows = beside[k].get();

  std::vector<TableRows> tables;
  tables.reserve(slots.size());
  for (size_t i = 0, k = 0; i < slots.size(); ++i) {
    tables.push_back(found[i] ? std::move(*found[i]) : keptRows(slots[i], std::move(*scans[k++].rows), shared));
  }
  return tables;
}

size_t positionOf(const Relation& rel, int slot) {
  auto it = std::find(rel.slots.begin(), rel.slots.end(), slot);
  return static_cast<size_t>(it - rel.slots.begin());
}

Relation joinTree(const JoinNode& node, const std::vector<TableRows>& tables) {
  if (node.slot >= 0) return Relation::ofTable(node.slot, tables[node.slot].rows);
  Relation left = joinTree(*node.left, tables);
  Relation right = joinTree(*node.right, tables);
  std::vector<JoinKey> lk, rk;
  for (const auto& [a, b] : node.keys) {
    const ColumnStore& sa = *tables[a.slot].stores[a.store];
    const ColumnStore& sb = *tables[b.slot].stores[b.store];
    const TableRows& ta = tables[a.slot];
    lk.push_back({&sa, positionOf(left, a.slot), classOf(ta.def->columns[ta.columns[a.store]].type)});
    rk.push_back({&sb, positionOf(right, b.slot), lk.back().kind});
  }
  return hashJoin(std::move(left), lk, std::move(right), rk);
}

// Columns decoded only for a condition or a join key are not part of the result: free them
// before the result is kept (PassFail and the key columns of the run's joins). A shared scan
// keeps its columns for the other queries that use it.
void dropUnselected(std::vector<TableRows>& tables, const std::vector<ResultColumn>& output) {
  for (size_t slot = 0; slot < tables.size(); ++slot) {
    auto& stores = tables[slot].stores;
    for (size_t i = 0; i < stores.size(); ++i) {
      bool selected = std::any_of(output.begin(), output.end(), [&](const ResultColumn& c) {
        return c.slot == static_cast<int>(slot) && c.store == static_cast<int>(i);
      });
      if (!selected) stores[i].reset();
    }
  }
}

// When each result row takes its own row of a table, in table order (the probing side of a
// join on a unique key, as in the run's queries), the table keeps just those rows, numbered
// as the result is: that drops the rows the join found no partner for, and the result needs
// no row numbers for that table (row_number_column.h).
void keepJoinedRows(TableRows& table, Relation& rows, size_t position) {
  if (rows.identity || table.shared) return;  // every row, in order, already; or not ours to change
  const size_t n = rows.rows();
  if (table.rows <= 1) return;
  std::vector<uint32_t> used(n);
  for (size_t r = 0; r < n; ++r) {
    used[r] = rows.at(r, position);
    if (r > 0 && used[r] <= used[r - 1]) return;
  }
  if (n == table.rows) return;  // already one result row per table row
  for (auto& s : table.stores) {
    if (!s) continue;
    s->keepRows(used);
    s->freeze();
  }
  table.rows = n;
  const auto word = static_cast<size_t>(rows.word[position]);  // stored: the table has rows to tell apart
  for (size_t r = 0; r < n; ++r) rows.tuples[r * rows.width + word] = static_cast<uint32_t>(r);
}

}  // namespace

std::unique_ptr<ResultSet> runSelect(Database& db, const SelectStatement& select, SharedScans* shared) {
  QueryPlan plan = bind(select, [&db](std::u16string_view name) { return db.table(name); });
  std::vector<TableRows> tables = scanTables(plan.slots, shared);

  Relation rows = joinTree(*plan.root, tables);
  if (!plan.residual.empty()) {
    std::vector<size_t> pos(plan.slots.size());
    for (size_t s = 0; s < pos.size(); ++s) pos[s] = positionOf(rows, static_cast<int>(s));
    rows.filter([&](size_t r) {
      auto get = [&](BoundColumn c) -> Value { return tables[c.slot].stores[c.store]->get(rows.at(r, pos[c.slot])); };
      return std::all_of(plan.residual.begin(), plan.residual.end(),
                         [&](const BoundExpr& e) { return evaluate(e, get) == Truth::True; });
    });
  }
  for (ResultColumn& c : plan.output) c.position = static_cast<int>(positionOf(rows, c.slot));
  dropUnselected(tables, plan.output);
  for (size_t p = 0; p < rows.slots.size(); ++p) keepJoinedRows(tables[rows.slots[p]], rows, p);
  return std::make_unique<ResultSet>(std::move(tables), std::move(rows), std::move(plan.output));
}

}  // namespace jet::sql
