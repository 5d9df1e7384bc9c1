// Usage maps: which pages belong to a table, an index or a long-value column. A map is a row on
// a data page, addressed by a row pointer. Its first byte says which of two kinds it is:
//   0x00 inline:    4-byte start page, then a bitmap; bit k (LSB first) = page start + k
//   0x01 reference: 4-byte page numbers of usage-map pages (type 0x05, 0 = none); map page i
//                   covers pages i * B .. i * B + B - 1, B = (page size - 4) * 8, its bitmap
//                   starting at byte 4.
// The global map on page 1 uses the inverted sense (a set bit = a free page), and marks the
// pages past the end free: read it `inverted`, which leaves those out.
//
// Layout: docs/file-format.md#usage-maps
#pragma once

#include <cstdint>
#include <vector>

#include "jet/util/byte_view.h"

namespace jet {

class Pager;

namespace usage_map_type {
inline constexpr uint8_t kInline = 0x00;
inline constexpr uint8_t kReference = 0x01;
}  // namespace usage_map_type
inline constexpr size_t kUsageMapPageBitmapOffset = 4;

// The pages a map marks, ascending. Throws a corrupt-page error for an unknown kind, a map page
// of the wrong type, or a marked page beyond the end of the file.
std::vector<uint32_t> readUsageMap(Pager& pager, uint32_t rowPointer, bool inverted = false);
std::vector<uint32_t> decodeUsageMap(Pager& pager, const ByteView& row, bool inverted = false);

}  // namespace jet
