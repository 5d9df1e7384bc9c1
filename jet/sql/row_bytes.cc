#include "jet/sql/row_bytes.h"

namespace jet::sql {

RowBytes::RowBytes(size_t width, size_t rows) : width_(width) {
  for (size_t r = 0; r < rows; ++r) append();
}

uint8_t* RowBytes::append() {
  if ((rows_ & kMask) == 0) {
    blocks_.emplace_back();
    blocks_.back().reserve((kMask + 1) * width_);
  }
  std::vector<uint8_t>& block = blocks_.back();
  block.resize(block.size() + width_, 0);
  ++rows_;
  return block.data() + block.size() - width_;
}

void RowBytes::truncate(size_t rows) {
  if (rows >= rows_) return;
  blocks_.resize((rows + kMask) >> kShift);
  if (!blocks_.empty()) blocks_.back().resize(((rows - 1) & kMask) * width_ + width_);
  rows_ = rows;
}

void RowBytes::shrinkToFit() {
  if (!blocks_.empty()) blocks_.back().shrink_to_fit();
  blocks_.shrink_to_fit();
}

size_t RowBytes::memoryBytes() const {
  size_t n = blocks_.capacity() * sizeof(std::vector<uint8_t>);
  for (const auto& b : blocks_) n += b.capacity();
  return n;
}

}  // namespace jet::sql
