// Constants shared by the page builders: page size, page kinds, row-pointer packing.
#pragma once

#include <array>
#include <cstdint>

namespace jet {

inline constexpr uint32_t kPageSize = 4096;
using PageBytes = std::array<uint8_t, kPageSize>;

namespace page_kind {
inline constexpr uint8_t kHeader = 0x00;
inline constexpr uint8_t kData = 0x01;
inline constexpr uint8_t kTableDefinition = 0x02;
inline constexpr uint8_t kIndexNode = 0x03;
inline constexpr uint8_t kIndexLeaf = 0x04;
inline constexpr uint8_t kUsageBitmap = 0x05;
}  // namespace page_kind

// The magic number Jet stores in every table definition, column block and logical index.
inline constexpr uint32_t kTdefMagic = 1625;
// The magic number that opens every real-index block.
inline constexpr uint32_t kRealIndexMagic = 1923;

// A row pointer: page number in the upper 24 bits, row slot in the low 8.
inline constexpr uint32_t rowPointer(uint32_t page, uint8_t row) { return (page << 8) | row; }
inline constexpr uint32_t rowPointerPage(uint32_t ptr) { return ptr >> 8; }
inline constexpr uint8_t rowPointerRow(uint32_t ptr) { return static_cast<uint8_t>(ptr & 0xFF); }

}  // namespace jet
