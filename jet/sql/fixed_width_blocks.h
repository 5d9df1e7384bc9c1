// A column's fixed-width values, `width` bytes per row, in blocks of 16 384 rows: a column
// that grows to millions of rows never copies itself to a larger buffer (which would briefly
// hold it twice) and wastes at most one partly filled block rather than up to half of a
// doubled vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace jet::sql {

class FixedWidthBlocks {
 public:
  FixedWidthBlocks() = default;
  // `rows` rows of zero bytes.
  FixedWidthBlocks(size_t width, size_t rows);

  size_t rows() const { return rows_; }
  // Space for one more row (zeroed).
  uint8_t* append();
  uint8_t* at(size_t row) { return blocks_[row >> kShift].data() + (row & kMask) * width_; }
  const uint8_t* at(size_t row) const { return blocks_[row >> kShift].data() + (row & kMask) * width_; }
  // Keeps the first `rows` rows.
  void truncate(size_t rows);
  void shrinkToFit();
  size_t memoryBytes() const;

 private:
  static constexpr size_t kShift = 14;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  size_t width_ = 0;
  size_t rows_ = 0;
  std::vector<std::vector<uint8_t>> blocks_;
};

}  // namespace jet::sql
