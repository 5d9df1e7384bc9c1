#include "jet/format/usage_map_builder.h"

#include <cassert>

#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"

namespace jet {

std::vector<uint8_t> buildInlineUsageMap(uint32_t startPage, size_t bitmapBytes,
                                         std::span<const uint32_t> pages) {
  std::vector<uint8_t> row(5 + bitmapBytes, 0);
  row[0] = usage_map_type::kInline;
  le::put32(row, 1, startPage);
  for (uint32_t p : pages) {
    const bool inRange = setInlineUsageBit(row, p, true);
    assert(inRange);
    (void)inRange;
  }
  return row;
}

std::vector<uint8_t> buildReferenceUsageMap() {
  std::vector<uint8_t> row(kUsageMapRowSize, 0);
  row[0] = usage_map_type::kReference;
  return row;
}

PageBytes buildUsageBitmapPage() {
  PageBytes page{};
  page[0] = page_type::kUsageMap;
  page[1] = 0x01;
  return page;
}

bool setInlineUsageBit(std::span<uint8_t> row, uint32_t page, bool value) {
  assert(!row.empty() && row[0] == usage_map_type::kInline);
  const uint32_t start = ByteView(row).u32(1);
  if (page < start) return false;
  const uint64_t bit = page - start;
  if (bit / 8 >= row.size() - 5) return false;
  uint8_t& byte = row[5 + bit / 8];
  const auto mask = static_cast<uint8_t>(1u << (bit % 8));
  byte = value ? (byte | mask) : (byte & ~mask);
  return true;
}

std::optional<bool> inlineUsageBit(std::span<const uint8_t> row, uint32_t page) {
  const uint32_t start = ByteView(row).u32(1);
  if (page < start) return std::nullopt;
  const uint64_t bit = page - start;
  if (bit / 8 >= row.size() - 5) return std::nullopt;
  return ((row[5 + bit / 8] >> (bit % 8)) & 1) != 0;
}

std::vector<uint32_t> inlineUsagePages(std::span<const uint8_t> row) {
  std::vector<uint32_t> pages;
  const uint32_t start = ByteView(row).u32(1);
  for (size_t i = 5; i < row.size(); ++i) {
    for (int b = 0; b < 8; ++b) {
      if ((row[i] >> b) & 1) pages.push_back(start + static_cast<uint32_t>((i - 5) * 8 + b));
    }
  }
  return pages;
}

}  // namespace jet
