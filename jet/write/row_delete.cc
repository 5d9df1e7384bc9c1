// Deleting rows, page by page as the scan goes: each picked row loses its index entries, its
// slot gets both flag bits (0xC000) and an empty extent, so the page's free space grows and the
// page goes into the table's free-space map, where later inserts find it (placeRow). Pages stay
// with the table. Long values and moved rows of the deleted rows are given back once the
// deleted rows are in the file (row_release.h).
//
// Pending pages are written every few hundred pages, in the workspace's safe order, so memory
// stays bounded and a process killed during a delete leaves a file in which the rows of the
// last pages are deleted and those of the first pages are not. Index entries are written after the data pages of each batch: a kill in between
// leaves entries that point at deleted rows, never a live row without its entry.
//
// That order costs one write per page. A delete of every row of a table without indexes
// keeps it with a few writes per batch instead: the batch's pages leave the table's free-space
// map, then its owned-pages map (readers find a table's rows through that map), so the rows
// of the whole batch vanish with one map page written; the data pages then go out in runs of
// neighbours, in any order, and the maps take the pages back. A kill while they are hidden
// leaves their rows unseen and the pages unused, never a page a writer could fill unseen. A
// batch stays within one bitmap page of a reference map (kPagesPerBitmapPage), so hiding it is
// a single write. The finished file is the same as with the page-by-page order.
#include <algorithm>
#include <atomic>
#include <numeric>
#include <optional>
#include <tuple>

#include "jet/format/data_page_builder.h"
#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/format/index_key.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/write/row_release.h"
#include "jet/format/row_view.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map_builder.h"

namespace jet {
namespace {

std::atomic<uint64_t> deletionCount{0};

// Pending pages that make the delete write a batch (as batched inserts do).
constexpr size_t kDeleteBatchPages = 512;
// Rows waiting to be given back that also make it write a batch (a few long chains).
constexpr size_t kMaxWaitingRows = 16384;

struct Waiting {
  uint32_t owner;
  uint32_t freeMap;
  RowPointer row;
};

}  // namespace

uint64_t DatabaseWriter::deletions() { return deletionCount.load(std::memory_order_relaxed); }

size_t DatabaseWriter::deleteRows(std::u16string_view table, const RowPredicate& predicate) {
  TableState& t = state(table);
  // The scan reads the file, so it must see every change made so far.
  pages_.flush(false);
  std::vector<size_t> columns;
  if (predicate || !t.def.realIndexes.empty()) {
    columns.resize(t.def.columns.size());
    std::iota(columns.begin(), columns.end(), 0);
  }
  // The numbers of deleted rows are never handed out again, even those of rows that a killed
  // writer stored without raising the counter.
  std::optional<size_t> autoNumber;
  for (size_t i = 0; i < t.def.columns.size(); ++i) {
    if (t.def.columns[i].isAutoNumber() && t.def.columns[i].type == ColumnType::Long) {
      if (columns.empty()) columns.push_back(i);
      autoNumber = columns.size() == 1 ? 0 : i;
    }
  }
  std::vector<size_t> longValueColumns;
  for (size_t i = 0; i < t.def.columns.size(); ++i) {
    if (t.def.columns[i].isLongValue()) longValueColumns.push_back(i);
  }

  const bool hideBatches = !predicate && t.def.realIndexes.empty() && t.def.ownedPagesMap != 0;
  // The hidden batch's pages as they will be written, put in the workspace once hidden.
  std::vector<std::pair<uint32_t, PageBytes>> hidden;
  if (hideBatches) hidden.reserve(kDeleteBatchPages);

  // Until the scan is done the count goes down by the rows deleted so far; once it is, the
  // count is what the scan left, so a count that had drifted from the rows is right again.
  const uint32_t rowsBefore = t.def.rowCount;
  size_t deleted = 0;
  size_t seen = 0;
  bool scanned = false;
  std::vector<Waiting> waiting;  // rows to give back once the rows pointing at them are written
  // What the picked rows of one page need: gathered first, applied together once the page is
  // done, so an error in the middle (a damaged long value) leaves the page as it was.
  uint32_t page = 0;
  PageBytes pageCopy{};  // `page` as it was before this delete touched it
  std::vector<uint8_t> slots;
  std::vector<std::pair<size_t, std::vector<uint8_t>>> entries;  // real index, leaf entry
  std::vector<Waiting> pageWaiting;

  const auto finishPage = [&] {
    if (slots.empty()) return;
    if (hideBatches) {
      DataPageBuilder(pageCopy).removeRows(slots);
      hidden.emplace_back(page, pageCopy);
    } else {
      for (const auto& [index, entry] : entries) removeIndexEntry(t, index, entry);
      DataPageBuilder(pages_.edit(page)).removeRows(slots);
      if (t.def.freePagesMap != 0 && !pages_.hasUsage(t.def.freePagesMap, page)) {
        pages_.setUsage(t.def.freePagesMap, page, true, PageWorkspace::MapRole::kFreeSpace);
      }
    }
    deleted += slots.size();
    deletionCount.fetch_add(1, std::memory_order_relaxed);
    waiting.insert(waiting.end(), pageWaiting.begin(), pageWaiting.end());
    slots.clear();
    entries.clear();
    pageWaiting.clear();
  };
  using Role = PageWorkspace::MapRole;
  const auto hideAndEmpty = [&] {
    if (hidden.empty()) return;
    if (t.def.freePagesMap != 0) {
      for (const auto& [p, bytes] : hidden) {
        if (pages_.hasUsage(t.def.freePagesMap, p)) pages_.setUsage(t.def.freePagesMap, p, false, Role::kFreeSpace);
      }
      pages_.flush(false);
    }
    for (const auto& [p, bytes] : hidden) pages_.setUsage(t.def.ownedPagesMap, p, false, Role::kOwnedPages);
    pages_.flush(false);
    for (const auto& [p, bytes] : hidden) {
      pages_.put(p, bytes);
      pages_.setUsage(t.def.ownedPagesMap, p, true, Role::kOwnedPages);
      if (t.def.freePagesMap != 0) pages_.setUsage(t.def.freePagesMap, p, true, Role::kFreeSpace);
    }
    hidden.clear();
  };
  const auto writeBatch = [&] {
    hideAndEmpty();
    if (scanned) {
      t.def.rowCount = static_cast<uint32_t>(seen - deleted);
    } else {
      t.def.rowCount = rowsBefore >= deleted ? static_cast<uint32_t>(rowsBefore - deleted) : 0;
    }
    writeTableCounters(t);
    pages_.flush(false, hideBatches ? PageWorkspace::DataPageOrder::kFirstToLast : PageWorkspace::DataPageOrder::kLastToFirst);
    if (waiting.empty()) return;
    std::sort(waiting.begin(), waiting.end(), [](const Waiting& a, const Waiting& b) {
      return std::tie(a.owner, a.freeMap) < std::tie(b.owner, b.freeMap);
    });
    std::vector<RowPointer> group;
    for (size_t i = 0; i < waiting.size();) {
      group.clear();
      size_t j = i;
      for (; j < waiting.size() && waiting[j].owner == waiting[i].owner && waiting[j].freeMap == waiting[i].freeMap; ++j) {
        group.push_back(waiting[j].row);
      }
      releaseRows(pages_, waiting[i].owner, waiting[i].freeMap, group);
      i = j;
    }
    waiting.clear();
  };

  // A hidden batch is hidden with one map page written, so it ends where a bitmap page's range does.
  const auto batchEndsBefore = [&](uint32_t next) {
    if (waiting.size() >= kMaxWaitingRows) return true;
    if (!hideBatches) return pages_.pendingPages() >= kDeleteBatchPages;
    return hidden.size() >= kDeleteBatchPages ||
           (!hidden.empty() && hidden.front().first / kPagesPerBitmapPage != next / kPagesPerBitmapPage);
  };

  // From the last page back, as each batch is written: rows are stored in page order, so a
  // delete cut short leaves a prefix of the table's rows.
  auto scan = db_.scan(std::make_shared<const TableDef>(t.def), columns, ScanOrder::kLastPageFirst);
  while (scan.next()) {
    ++seen;
    if (predicate && !predicate(scan.values())) continue;
    const RowPointer at = scan.locator();
    if (at.page != page) {
      finishPage();
      if (batchEndsBefore(at.page)) writeBatch();
      page = at.page;
      pageCopy = pages_.read(page);
    }
    for (size_t i = 0; i < t.def.realIndexes.size(); ++i) {
      entries.emplace_back(i, leafEntry(indexKeyFor(t.def, t.def.realIndexes[i], scan.values()), at.page,
                                        static_cast<uint8_t>(at.row)));
    }
    // The row's bytes as stored: a row Jet moved leaves a pointer in its slot.
    std::span<const uint8_t> stored = DataPageBuilder(pageCopy).row(static_cast<uint8_t>(at.row));
    PageBytes moved;
    if ((ByteView(pageCopy).u16(kDataPageSlotsOffset + 2 * size_t{at.row}) & kRowDeletedFlags) == kRowOverflowFlag) {
      const RowPointer movedTo = RowPointer::fromRaw(ByteView(stored).u32(0));
      if (movedTo.page >= pages_.pageCount()) throw Error(errc::kUnspecified, "A moved row points beyond the file.");
      moved = pages_.read(movedTo.page);
      DataPageBuilder target(moved);
      if (moved[0] != page_type::kData || target.owner() != t.def.firstPage() || movedTo.row >= target.slotCount()) {
        throw Error(errc::kUnspecified, "A moved row points outside its table.");
      }
      stored = target.row(static_cast<uint8_t>(movedTo.row));
      pageWaiting.push_back({t.def.firstPage(), t.def.freePagesMap, movedTo});
    }
    if (!longValueColumns.empty()) {
      const RowView view(ByteView(stored, at.page), t.def);
      for (size_t c : longValueColumns) {
        const ColumnDef& column = t.def.columns[c];
        const auto field = view.columnBytes(column);
        if (!field) continue;
        for (const RowPointer& lv : longValueRows(pages_, field->bytes())) {
          pageWaiting.push_back({kLvalPageOwner, column.lvFreeMap, lv});
        }
      }
    }
    if (autoNumber) {
      if (auto n = scan.values()[*autoNumber].getIf<int32_t>(); n && *n > 0) {
        t.def.autoNumber = std::max(t.def.autoNumber, static_cast<uint32_t>(*n));
      }
    }
    slots.push_back(static_cast<uint8_t>(at.row));
  }
  finishPage();
  scanned = true;
  // The last batch; what it gives back is written with the writer's next change or flush.
  writeBatch();
  afterChange();
  if (!predicate) t.emptied = true;
  return deleted;
}

bool DatabaseWriter::knowsEmpty(std::u16string_view table) const {
  const auto it = tables_.find(foldCase(table));
  return it != tables_.end() && it->second->emptied;
}

}  // namespace jet
