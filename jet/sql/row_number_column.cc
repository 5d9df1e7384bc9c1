#include "jet/sql/row_number_column.h"

#include <bit>

namespace jet::sql {

RowNumberColumn::RowNumberColumn(const Relation& rows, size_t position, size_t tableRows) {
  static_assert(std::endian::native == std::endian::little, "row numbers are kept little-endian");
  if (tableRows <= 1) return;  // every row number is 0
  const size_t n = rows.rows();
  identity_ = true;
  for (size_t r = 0; r < n && identity_; ++r) identity_ = rows.at(r, position) == r;
  if (identity_) return;
  width_ = tableRows <= 0x100 ? 1 : tableRows <= 0x10000 ? 2 : tableRows <= 0x1000000 ? 3 : 4;
  bytes_.resize(n * width_);
  for (size_t r = 0; r < n; ++r) {
    const uint32_t number = rows.at(r, position);
    std::memcpy(&bytes_[r * width_], &number, width_);
  }
}

}  // namespace jet::sql
