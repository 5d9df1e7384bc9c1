// Inserting rows into user tables: the row appended to the table's current data page (a new
// page when it is full), the TDEF's row count and autonumber advanced.
#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include <algorithm>

#include "jet/format/data_page.h"
#include "jet/util/error.h"
#include "jet/read/table_scan.h"
#include "jet/format/usage_map.h"
#include "jet/format/index_key.h"
#include "jet/format/row_builder.h"
#include "jet/util/unicode.h"

namespace jet {

namespace {

// A writer killed between a row and its TDEF update leaves the autonumber behind the last
// rows. Those sit on the page that was being filled: the table's last data page, or a page
// with freed space, which stays in the free-space map while it takes rows. The counter is
// raised to the largest number found on those pages before any new number is handed out.
uint32_t largestRecentAutoNumber(Pager& pager, const TableDef& def, size_t column) {
  std::vector<uint32_t> pages;
  if (def.freePagesMap != 0) pages = readUsageMap(pager, def.freePagesMap);
  const auto owned = readUsageMap(pager, def.ownedPagesMap);
  if (!owned.empty()) pages.push_back(owned.back());
  uint32_t best = 0;
  std::vector<Value> out;
  const size_t cols[] = {column};
  // After a delete the free-space map lists every page of the table: read them in runs.
  for (size_t i = 0, ahead = 0; i < pages.size(); ++i) {
    if (i >= ahead) ahead = pager.readAheadRun(pages, i);
    const uint32_t p = pages[i];
    PageRef ref = pager.read(p);
    if (ref->type() != page_type::kData) continue;
    const DataPage page(std::move(ref));
    if (page.owner() != def.firstPage()) continue;
    for (uint16_t r = 0; r < page.rowCount(); ++r) {
      if (!readRow(pager, def, {p, r}, cols, out)) continue;
      if (auto v = out[0].getIf<int32_t>(); v && *v > 0) best = std::max(best, static_cast<uint32_t>(*v));
    }
  }
  return best;
}

// A writer killed in a delete may leave the stored count above the rows, and a table that
// shows no rows is not deleted from again (a rerun clears only a table that shows some), so
// nothing would set it anew: a table found empty before its first new row counts from zero.
// The scan ends at the first live row, so a table with rows costs a page or so.
bool holdsNoRows(Pager& pager, const TableDef& def) {
  TableScan scan(pager, std::make_shared<const TableDef>(def), {});
  return !scan.next();
}

}  // namespace

int32_t DatabaseWriter::insertRow(std::u16string_view table, RowValues values, RowPointer* stored) {
  TableState& t = state(table);
  if (values.size() != t.def.columns.size()) {
    throw Error(errc::kUnspecified, "Table '" + toUtf8(table) + "' has " + std::to_string(t.def.columns.size()) +
                                        " columns; " + std::to_string(values.size()) + " values were given.");
  }
  if (!t.countChecked) {
    if (!t.emptied && t.def.rowCount != 0) {
      pages_.flush(false);
      if (holdsNoRows(db_.pager(), t.def)) t.def.rowCount = 0;
    }
    t.countChecked = true;
  }
  int32_t assigned = 0;
  // The number a Null autonumber takes stands in for that Null; the row is not copied.
  Value number;
  std::optional<size_t> numbered;
  for (size_t i = 0; i < t.def.columns.size(); ++i) {
    const auto& c = t.def.columns[i];
    if (!c.isAutoNumber() || c.type != ColumnType::Long) continue;
    if (!t.autoNumberChecked) {
      pages_.flush(false);
      t.def.autoNumber = std::max(t.def.autoNumber, largestRecentAutoNumber(db_.pager(), t.def, i));
      t.autoNumberChecked = true;
    }
    if (values[i].isNull()) {
      if (t.def.autoNumber >= static_cast<uint32_t>(INT32_MAX)) {
        throw Error(errc::kUnspecified, "The autonumber of table '" + toUtf8(table) + "' is exhausted.");
      }
      assigned = static_cast<int32_t>(t.def.autoNumber + 1);
      number = assigned;
      numbered = i;
    } else if (auto p = values[i].getIf<int32_t>()) {
      assigned = *p;
    } else {
      throw Error(errc::kTypeMismatch, "The autonumber column takes a Long value.");
    }
  }
  const RowValues row = numbered ? RowValues(values, *numbered, number) : RowValues(values);
  // Keys first: a value an index cannot take refuses the row before anything is written.
  std::vector<std::vector<uint8_t>> keys;
  for (size_t i = 0; i < t.def.realIndexes.size(); ++i) {
    keys.push_back(indexKeyFor(t.def, t.def.realIndexes[i], row));
    if (t.def.realIndexes[i].unique() && indexHasKey(t, i, keys.back())) {
      throw Error(errc::kIntegrityViolation, "The row would duplicate a value in the unique index of table '" +
                                                 toUtf8(t.def.name) + "'.");
    }
  }
  const auto at = appendRow(t, row);
  if (stored) *stored = at;
  for (size_t i = 0; i < keys.size(); ++i) {
    insertIndexEntry(t, i, leafEntry(std::move(keys[i]), at.page, static_cast<uint8_t>(at.row)), true);
  }
  if (assigned > 0 && static_cast<uint32_t>(assigned) > t.def.autoNumber) t.def.autoNumber = static_cast<uint32_t>(assigned);
  writeTableCounters(t);
  afterChange();
  return assigned;
}

}  // namespace jet
