// The page: its sizes, the type byte every page starts with, and the row pointer that names a
// row of a page.
//
// Layout: docs/file-format.md#file-and-pages
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace jet {

inline constexpr uint32_t kPageSizeJet4 = 4096;
inline constexpr uint32_t kPageSizeJet3 = 2048;
// Pages of Jet 3 (Access 97) files are half the size of Jet 4's: the size says which layout.
inline constexpr bool isJet3PageSize(size_t size) { return size == kPageSizeJet3; }

// Page type byte (byte 0 of every page).
namespace page_type {
inline constexpr uint8_t kHeader = 0x00;
inline constexpr uint8_t kData = 0x01;
inline constexpr uint8_t kTableDefinition = 0x02;
inline constexpr uint8_t kIndexNode = 0x03;
inline constexpr uint8_t kIndexLeaf = 0x04;
inline constexpr uint8_t kUsageMap = 0x05;
}  // namespace page_type

// The size of every page the engine writes.
inline constexpr uint32_t kPageSize = kPageSizeJet4;
using PageBytes = std::array<uint8_t, kPageSize>;

// A row pointer, stored as one little-endian u32: page number in the upper 24 bits, row (slot)
// in the low 8.
struct RowPointer {
  uint32_t page = 0;
  uint16_t row = 0;
  static constexpr RowPointer fromRaw(uint32_t raw) { return {raw >> 8, static_cast<uint16_t>(raw & 0xFF)}; }
  constexpr uint32_t raw() const { return (page << 8) | (row & 0xFF); }
  friend bool operator==(const RowPointer&, const RowPointer&) = default;
};

}  // namespace jet
