#include "jet/sql/row_numbers.h"

#include <bit>

namespace jet::sql {

RowNumbers::RowNumbers(const std::vector<uint32_t>& tuples, size_t width, size_t position,
                       size_t tableRows) {
  static_assert(std::endian::native == std::endian::little, "row numbers are kept little-endian");
  const size_t rows = width == 0 ? 0 : tuples.size() / width;
  if (tableRows <= 1) return;  // every row number is 0
  identity_ = true;
  for (size_t r = 0; r < rows && identity_; ++r) identity_ = tuples[r * width + position] == r;
  if (identity_) return;
  width_ = tableRows <= 0x100 ? 1 : tableRows <= 0x10000 ? 2 : 4;
  bytes_.resize(rows * width_);
  for (size_t r = 0; r < rows; ++r) {
    uint32_t n = tuples[r * width + position];
    std::memcpy(&bytes_[r * width_], &n, width_);
  }
}

}  // namespace jet::sql
