// Reading one stored row.
//
// Layout (Jet 4), from the row start:
//   2      column count the row was written with
//   ...    fixed area: each fixed column at 2 + its fixed offset
//   ...    variable values, back to back
//   2      end of the variable data (offset from the row start)
//   2 x v  offsets of the variable values, stored last-first (slot v-1 first, slot 0 last)
//   2      v, the number of variable slots
//   ...    null mask, ceil(count / 8) bytes: bit k (LSB first) = column number k, 1 = not null
// A table without variable columns stores only the count, the fixed area and the null mask.
// Yes/No values are their null-mask bit. Columns numbered at or beyond the row's count (added
// after the row was written) are Null.
//
// Jet 3 rows count and point with single bytes: a 1-byte column count, the fixed area at
// 1 + offset, and, before the null mask, the end-of-data byte, v offset bytes (last-first),
// j jump bytes and the 1-byte v. An offset byte holds only the low 8 bits: jump entry k
// (k = 0 nearest v) names the first variable slot whose offsets lie a further 256 bytes on.
// j = (row length - 1) / 256, less one when the end-of-data byte itself lies below j x 256 (the
// last entry is then filler).
//
// Layout: docs/file-format.md#row-layout, docs/file-format-jet3.md#rows
#pragma once

#include <cstdint>
#include <optional>

#include "jet/util/byte_view.h"
#include "jet/format/table_definition.h"

namespace jet {

class RowView {
 public:
  RowView(const ByteView& row, const TableDef& def);

  uint16_t columnCount() const { return columnCount_; }
  // The null-mask bit: true = not null (for Yes/No: the value).
  bool presentBit(uint16_t columnNumber) const;
  // The stored bytes of a column, or nullopt when it is Null. Not for Yes/No columns.
  std::optional<ByteView> columnBytes(const ColumnDef& column) const;

 private:
  void readJet3VarTable();
  // Jet 3: the start of variable slot `slot` (slot v = the end-of-data byte), jumps added.
  size_t jet3VarOffset(size_t slot) const;

  ByteView row_;
  uint16_t columnCount_ = 0;
  size_t maskStart_ = 0;
  uint16_t varCount_ = 0;
  size_t varTableEnd_ = 0;  // offset just past the offset of slot 0
  bool jet3_ = false;
  uint8_t fixedStart_ = 2;  // the column count's width
  size_t jumpCount_ = 0;    // Jet 3: jump entries in use
};

}  // namespace jet
