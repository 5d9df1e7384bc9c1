// Constants shared by the page builders: page size, row-pointer packing.
#pragma once

#include <array>
#include <cstdint>

#include "jet/pager.h"

namespace jet {

inline constexpr uint32_t kPageSize = kPageSizeJet4;
using PageBytes = std::array<uint8_t, kPageSize>;

// A row pointer: page number in the upper 24 bits, row slot in the low 8.
inline constexpr uint32_t rowPointer(uint32_t page, uint8_t row) { return (page << 8) | row; }
inline constexpr uint32_t rowPointerPage(uint32_t ptr) { return ptr >> 8; }
inline constexpr uint8_t rowPointerRow(uint32_t ptr) { return static_cast<uint8_t>(ptr & 0xFF); }

}  // namespace jet
