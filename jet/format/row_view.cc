#include "jet/format/row_view.h"

namespace jet {

RowView::RowView(const ByteView& row, const TableDef& def) : row_(row), jet3_(def.jet3) {
  if (jet3_) {
    fixedStart_ = 1;
    columnCount_ = row.u8(0);
  } else {
    columnCount_ = row.u16(0);
  }
  size_t maskLen = (size_t{columnCount_} + 7) / 8;
  if (maskLen + fixedStart_ > row.size()) throwCorrupt(row.page(), "holds a row too short for its column count");
  maskStart_ = row.size() - maskLen;
  if (def.varColumnCount == 0) return;
  if (jet3_) {
    readJet3VarTable();
    return;
  }
  if (maskStart_ < 4) throwCorrupt(row.page(), "holds a row too short for its variable columns");
  varCount_ = row.u16(maskStart_ - 2);
  // The offsets table, the count and the end word must fit between the fixed area start and
  // the mask.
  if (2 + 2 * (size_t{varCount_} + 2) > maskStart_) {
    throwCorrupt(row.page(), "holds a row whose variable-column count does not fit");
  }
  varTableEnd_ = maskStart_ - 2;
}

void RowView::readJet3VarTable() {
  if (maskStart_ < 3) throwCorrupt(row_.page(), "holds a row too short for its variable columns");
  varCount_ = row_.u8(maskStart_ - 1);
  size_t jumps = (row_.size() - 1) / 256;
  // v offsets, the end byte, the jumps and v itself after the count byte, before the mask.
  if (1 + size_t{varCount_} + 1 + jumps + 1 > maskStart_) {
    throwCorrupt(row_.page(), "holds a row whose variable-column count does not fit");
  }
  varTableEnd_ = maskStart_ - 1 - jumps;  // slot 0's byte is just below
  const size_t endByte = varTableEnd_ - 1 - varCount_;
  if (jumps > 0 && endByte / 256 < jumps) --jumps;
  jumpCount_ = jumps;
}

size_t RowView::jet3VarOffset(size_t slot) const {
  size_t offset = row_.u8(varTableEnd_ - 1 - slot);
  // Entry k lies just below v; entries name slots in ascending order.
  for (size_t k = 0; k < jumpCount_; ++k) {
    if (row_.u8(maskStart_ - 2 - k) <= slot) offset += 256;
  }
  return offset;
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
    size_t start = fixedStart_ + size_t{column.fixedOffset};
    if (start + size > maskStart_) {
      throwCorrupt(row_.page(), "holds a row whose fixed column " + std::to_string(column.number) +
                                    " lies outside the row");
    }
    return row_.sub(start, size);
  }
  if (column.varIndex >= varCount_) return std::nullopt;
  size_t start, end, limit;
  if (jet3_) {
    start = jet3VarOffset(column.varIndex);
    end = jet3VarOffset(size_t{column.varIndex} + 1);
    limit = varTableEnd_ - 1 - varCount_;
  } else {
    size_t slotPos = varTableEnd_ - 2 - 2 * size_t{column.varIndex};
    start = row_.u16(slotPos);
    end = row_.u16(slotPos - 2);  // the next slot, or the end-of-data word
    limit = varTableEnd_ - 2 - 2 * size_t{varCount_};
  }
  if (start > end || end > limit || start < fixedStart_) {
    throwCorrupt(row_.page(), "holds a row whose variable column offsets are out of order");
  }
  return row_.sub(start, end - start);
}

}  // namespace jet
