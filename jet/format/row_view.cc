#include "jet/format/row_view.h"

namespace jet {

RowView::RowView(const ByteView& row, const TableDef& def) : row_(row) {
  columnCount_ = row.u16(0);
  size_t maskLen = (size_t{columnCount_} + 7) / 8;
  if (maskLen + 2 > row.size()) throwCorrupt(row.page(), "holds a row too short for its column count");
  maskStart_ = row.size() - maskLen;
  if (def.varColumnCount > 0) {
    if (maskStart_ < 4) throwCorrupt(row.page(), "holds a row too short for its variable columns");
    varCount_ = row.u16(maskStart_ - 2);
    // The offsets table, the count and the end word must fit between the fixed area start and
    // the mask.
    if (2 + 2 * (size_t{varCount_} + 2) > maskStart_) {
      throwCorrupt(row.page(), "holds a row whose variable-column count does not fit");
    }
    varTableEnd_ = maskStart_ - 2;
  }
}

bool RowView::presentBit(uint16_t number) const {
  if (number >= columnCount_) return false;
  return (row_.u8(maskStart_ + number / 8) >> (number % 8)) & 1;
}

std::optional<ByteView> RowView::columnBytes(const ColumnDef& column) const {
  if (!presentBit(column.number)) return std::nullopt;
  if (column.isFixed()) {
    size_t size = fixedSizeOf(column.type);
    if (size == 0) size = column.length;  // types the engine does not interpret
    size_t start = 2 + size_t{column.fixedOffset};
    if (start + size > maskStart_) {
      throwCorrupt(row_.page(), "holds a row whose fixed column " + std::to_string(column.number) +
                                    " lies outside the row");
    }
    return row_.sub(start, size);
  }
  if (column.varIndex >= varCount_) return std::nullopt;
  size_t slotPos = varTableEnd_ - 2 - 2 * size_t{column.varIndex};
  size_t start = row_.u16(slotPos);
  size_t end = row_.u16(slotPos - 2);  // the next slot, or the end-of-data word
  size_t limit = varTableEnd_ - 2 - 2 * size_t{varCount_};
  if (start > end || end > limit || start < 2) {
    throwCorrupt(row_.page(), "holds a row whose variable column offsets are out of order");
  }
  return row_.sub(start, end - start);
}

}  // namespace jet
