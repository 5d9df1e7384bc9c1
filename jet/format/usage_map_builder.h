// Building usage maps and setting their bits; the two kinds are laid out in usage_map.h, which
// reads them. Table maps are written inline with 64 bitmap bytes (512 pages), as Jet writes
// them; the global map on page 1 grows its bitmap as the file grows.
//
// Layout: docs/file-format.md#usage-maps
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet/format/page_format.h"
#include "jet/format/usage_map.h"

namespace jet {

inline constexpr size_t kUsageMapRowSize = 69;     // what Jet writes for table maps
inline constexpr size_t kInlineBitmapBytes = 64;   // 512 pages
inline constexpr uint32_t kPagesPerBitmapPage = (kPageSize - kUsageMapPageBitmapOffset) * 8;  // 32736
inline constexpr size_t kReferenceSlots = 17;

// An inline map with the given start page and bitmap size, the listed pages set.
std::vector<uint8_t> buildInlineUsageMap(uint32_t startPage, size_t bitmapBytes,
                                         std::span<const uint32_t> pages);

// An empty reference map (all slots 0).
std::vector<uint8_t> buildReferenceUsageMap();

// An empty bitmap page.
PageBytes buildUsageBitmapPage();

// Sets or clears the bit of `page` in an inline map row. Returns false when the page lies
// outside the map's range (the row is left untouched).
bool setInlineUsageBit(std::span<uint8_t> row, uint32_t page, bool value);

// Reads the bit of `page` in an inline map row; nullopt outside its range.
std::optional<bool> inlineUsageBit(std::span<const uint8_t> row, uint32_t page);

// The pages set in an inline map row, ascending.
std::vector<uint32_t> inlineUsagePages(std::span<const uint8_t> row);

}  // namespace jet
