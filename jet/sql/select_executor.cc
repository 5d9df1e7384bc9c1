// SELECT: scan each table once, decoding only the columns the query names and keeping only
// the rows its own conditions let through; join bottom-up with hash joins; apply what is
// left of the conditions to the joined rows.
#include <algorithm>

#include "jet/sql/binder.h"
#include "jet/sql/executor.h"
#include "jet/sql/hash_join.h"
#include "jet/sql/predicate.h"

namespace jet::sql {
namespace {

TableRows scanTable(const SlotPlan& slot) {
  TableRows t;
  t.def = slot.def;
  t.link = slot.link;
  t.columns = slot.columns;
  t.stores.resize(slot.columns.size());
  TableScan scan = slot.source->scan(slot.def, slot.columns);
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
    for (size_t i = 0; i < t.stores.size(); ++i) t.stores[i].append(scan.value(i));
    ++t.rows;
  }
  if (t.rows >= UINT32_MAX) throw Error(errc::kUnspecified, "A table has too many rows.");
  // No row is added after the scan: give back the growth room and the text look-up tables
  // now, before the joins need their own memory.
  for (ColumnStore& store : t.stores) store.freeze();
  return t;
}

size_t positionOf(const Relation& rel, int slot) {
  auto it = std::find(rel.slots.begin(), rel.slots.end(), slot);
  return static_cast<size_t>(it - rel.slots.begin());
}

Relation joinTree(const JoinNode& node, const std::vector<TableRows>& tables) {
  if (node.slot >= 0) {
    Relation r;
    r.slots = {node.slot};
    r.width = 1;
    r.identity = true;
    r.identityRows = tables[node.slot].rows;
    return r;
  }
  Relation left = joinTree(*node.left, tables);
  Relation right = joinTree(*node.right, tables);
  std::vector<JoinKey> lk, rk;
  for (const auto& [a, b] : node.keys) {
    const ColumnStore& sa = tables[a.slot].stores[a.store];
    const ColumnStore& sb = tables[b.slot].stores[b.store];
    const TableRows& ta = tables[a.slot];
    lk.push_back({&sa, positionOf(left, a.slot), classOf(ta.def->columns[ta.columns[a.store]].type)});
    rk.push_back({&sb, positionOf(right, b.slot), lk.back().kind});
  }
  return hashJoin(left, lk, right, rk);
}

// Columns decoded only for a condition or a join key are not part of the result: free them
// before the result is kept (PassFail and the key columns of the run's joins).
void dropUnselected(std::vector<TableRows>& tables, const std::vector<ResultColumn>& output) {
  for (size_t slot = 0; slot < tables.size(); ++slot) {
    std::vector<ColumnStore>& stores = tables[slot].stores;
    for (size_t i = 0; i < stores.size(); ++i) {
      bool selected = std::any_of(output.begin(), output.end(), [&](const ResultColumn& c) {
        return c.slot == static_cast<int>(slot) && c.store == static_cast<int>(i);
      });
      if (!selected) stores[i] = ColumnStore();
    }
  }
}

// When each result row takes its own row of a table, in table order (the probing side of a
// join on a unique key, as in the run's queries), the table keeps just those rows, numbered
// as the result is: that drops the rows the join found no partner for, and the result needs
// no row numbers for that table (row_numbers.h).
void keepJoinedRows(TableRows& table, Relation& rows, size_t position) {
  if (rows.identity) return;  // every row, in order, already
  const size_t n = rows.rows();
  if (table.rows <= 1) return;
  std::vector<uint32_t> used(n);
  for (size_t r = 0; r < n; ++r) {
    used[r] = rows.tuples[r * rows.width + position];
    if (r > 0 && used[r] <= used[r - 1]) return;
  }
  if (n == table.rows) return;  // already one result row per table row
  for (ColumnStore& s : table.stores) s.keepRows(used);
  table.rows = n;
  for (size_t r = 0; r < n; ++r) rows.tuples[r * rows.width + position] = static_cast<uint32_t>(r);
}

}  // namespace

std::unique_ptr<ResultSet> runSelect(Database& db, const SelectStatement& select) {
  QueryPlan plan = bind(select, [&db](std::u16string_view name) { return db.table(name); });
  std::vector<TableRows> tables;
  tables.reserve(plan.slots.size());
  for (const SlotPlan& slot : plan.slots) tables.push_back(scanTable(slot));

  Relation rows = joinTree(*plan.root, tables);
  if (rows.identity && !plan.residual.empty()) {  // the filter below keeps some of them
    rows.tuples.resize(rows.identityRows);
    for (size_t i = 0; i < rows.tuples.size(); ++i) rows.tuples[i] = static_cast<uint32_t>(i);
    rows.identity = false;
  }
  if (!plan.residual.empty()) {
    std::vector<size_t> pos(plan.slots.size());
    for (size_t s = 0; s < pos.size(); ++s) pos[s] = positionOf(rows, static_cast<int>(s));
    size_t kept = 0;
    for (size_t r = 0; r < rows.rows(); ++r) {
      const uint32_t* tuple = &rows.tuples[r * rows.width];
      auto get = [&](BoundColumn c) -> Value {
        return tables[c.slot].stores[c.store].get(tuple[pos[c.slot]]);
      };
      bool keep = true;
      for (const BoundExpr& e : plan.residual) {
        if (evaluate(e, get) != Truth::True) {
          keep = false;
          break;
        }
      }
      if (keep) {
        std::copy(tuple, tuple + rows.width, &rows.tuples[kept * rows.width]);
        ++kept;
      }
    }
    rows.tuples.resize(kept * rows.width);
  }
  for (ResultColumn& c : plan.output) c.position = static_cast<int>(positionOf(rows, c.slot));
  dropUnselected(tables, plan.output);
  for (size_t p = 0; p < rows.width; ++p) keepJoinedRows(tables[rows.slots[p]], rows, p);
  return std::make_unique<ResultSet>(std::move(tables), std::move(rows), std::move(plan.output));
}

}  // namespace jet::sql
