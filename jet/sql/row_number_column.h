// One position of a result's row tuples (the row number into one base table, per result
// row), kept as narrowly as its values allow: nothing when every result row takes the row of
// the same number (a table scanned alone, or the probing side of a join on a unique key) or
// when the table has at most one row; else 1, 2, 3 or 4 bytes per row as the table's row
// count needs.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "jet/sql/relation.h"

namespace jet::sql {

class RowNumberColumn {
 public:
  RowNumberColumn() = default;
  // Position `position` of the relation's rows, into a table of `tableRows` rows.
  RowNumberColumn(const Relation& rows, size_t position, size_t tableRows);

  uint32_t at(size_t row) const {
    switch (width_) {
      case 0: return identity_ ? static_cast<uint32_t>(row) : 0;
      case 1: return bytes_[row];
      case 2: {
        uint16_t n;
        std::memcpy(&n, &bytes_[row * 2], sizeof n);
        return n;
      }
      case 3: {
        uint32_t n = 0;
        std::memcpy(&n, &bytes_[row * 3], 3);
        return n;
      }
      default: {
        uint32_t n;
        std::memcpy(&n, &bytes_[row * 4], sizeof n);
        return n;
      }
    }
  }
  // Whether each row's number is stored: the table is reached at rows of its own order.
  bool perRow() const { return width_ != 0; }
  size_t memoryBytes() const { return bytes_.capacity(); }

 private:
  size_t width_ = 0;
  bool identity_ = false;
  std::vector<uint8_t> bytes_;
};

}  // namespace jet::sql
