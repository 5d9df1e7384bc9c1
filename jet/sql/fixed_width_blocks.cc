#include "jet/sql/fixed_width_blocks.h"

#include <algorithm>

namespace jet::sql {

FixedWidthBlocks::FixedWidthBlocks(size_t width, size_t rows) : width_(width) {
  for (size_t r = 0; r < rows; ++r) append();
}

// A block is zeroed whole when it starts, so adding a row is a pointer step (growing the
// vector a row at a time cost a fill call per value); only the last block is ever part full.
uint8_t* FixedWidthBlocks::append() {
  const size_t blockBytes = (kMask + 1) * width_;
  if ((rows_ & kMask) == 0) {
    blocks_.emplace_back(blockBytes, 0);
  } else if (blocks_.back().size() != blockBytes) {
    blocks_.back().resize(blockBytes, 0);  // trimmed by shrinkToFit()
  }
  uint8_t* p = at(rows_);
  ++rows_;
  return p;
}

void FixedWidthBlocks::truncate(size_t rows) {
  if (rows >= rows_) return;
  blocks_.resize((rows + kMask) >> kShift);
  if (!blocks_.empty()) {
    // Rows past the end must read as zero again when they are appended anew.
    std::vector<uint8_t>& last = blocks_.back();
    std::fill(last.begin() + static_cast<std::ptrdiff_t>((((rows - 1) & kMask) + 1) * width_), last.end(), 0);
  }
  rows_ = rows;
}

void FixedWidthBlocks::shrinkToFit() {
  if (rows_ > 0) {
    std::vector<uint8_t>& last = blocks_.back();
    last.resize((((rows_ - 1) & kMask) + 1) * width_);
    last.shrink_to_fit();
  }
  blocks_.shrink_to_fit();
}

size_t FixedWidthBlocks::memoryBytes() const {
  size_t n = blocks_.capacity() * sizeof(std::vector<uint8_t>);
  for (const auto& b : blocks_) n += b.capacity();
  return n;
}

}  // namespace jet::sql
