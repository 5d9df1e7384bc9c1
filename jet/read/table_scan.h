// Visiting a table's rows: the pages its owned-pages usage map lists that are data pages of
// this table, each live row once (deleted slots skipped, moved rows reached through their
// pointer, at the position of the pointer). Only the requested columns are decoded.
//
// Damage is never stepped over: a listed page that is neither a sound data page of this
// table nor one of another table (a stale map bit), a row or moved row that leaves its page,
// a broken long value, and (when asked for) a stored row count the rows disagree with end
// the scan in a DamageError that names the table.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "jet/format/data_page.h"
#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet {

class Pager;

// Which end of the table a scan starts from. Rows within a page come in slot order either way.
enum class ScanOrder { kFirstPageFirst, kLastPageFirst };

// Whether a scan that reaches the end compares the rows it found with the count the
// definition stores. Only for user tables: Access leaves the counts of its system tables
// behind their rows (MSysQueries, MSysACEs). Files being written keep their own count
// (a killed writer leaves it behind; the next delete sets it anew), so only a reader asks.
enum class RowCountCheck { kNone, kCompare };

// How a scan takes a page that the owned-pages map of the table defined at `tdefPage` lists:
// the page, when it is a sound data page of that table; nothing for a sound data page of
// another owner (a stale bit, skipped); anything else throws a DamageError.
std::optional<DataPage> ownDataPage(Pager& pager, PageRef page, uint32_t tdefPage);

class TableScan {
 public:
  // `columns` are positions in def->columns; the values come back in that order.
  TableScan(Pager& pager, std::shared_ptr<const TableDef> def, std::vector<size_t> columns,
            ScanOrder order = ScanOrder::kFirstPageFirst, RowCountCheck check = RowCountCheck::kNone);
  TableScan(TableScan&&) noexcept = default;
  TableScan& operator=(TableScan&&) noexcept = default;

  // Moves to the next live row; false at the end.
  bool next();
  // Where the current row is (its original slot), for readRow() later.
  RowPointer locator() const { return locator_; }
  const std::vector<Value>& values() const { return values_; }
  const Value& value(size_t i) const { return values_[i]; }
  const TableDef& table() const { return *def_; }
  const std::vector<size_t>& columns() const { return columns_; }

 private:
  bool loadPage();
  bool advance();

  Pager* pager_;
  std::shared_ptr<const TableDef> def_;
  std::vector<size_t> columns_;
  std::vector<uint32_t> pages_;
  size_t pageIndex_ = 0;
  size_t readAheadEnd_ = 0;  // pages_ up to here were read ahead
  std::unique_ptr<DataPage> page_;
  uint16_t row_ = 0;
  uint64_t rowsFound_ = 0;
  bool compareCount_ = false;
  RowPointer locator_;
  std::vector<Value> values_;
  Bytes scratch_;
};

// Decodes the requested columns of the row at `locator` into `out` (resized to match).
// Returns false when the slot holds no live row (deleted since, or not a row of this table).
bool readRow(Pager& pager, const TableDef& def, RowPointer locator, std::span<const size_t> columns,
             std::vector<Value>& out);

}  // namespace jet
