// Writing table definition (TDEF) pages, kind 0x02, from a jet::TableDef (the layout is
// spelled out in table_definition.h, which reads them).
//
// Jet writes the column blocks (with their names and memo trailers) sorted by column name and
// the logical indexes sorted by index name, while column numbers give the real order; we do
// the same. Fields Jet leaves as garbage (fixed offset of variable columns, spare index
// slots) are written as zero.
//
// Layout: docs/file-format.md#table-definitions
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "jet/format/page_format.h"
#include "jet/format/table_definition.h"

namespace jet {

inline constexpr size_t kTdefHeaderSize = 63;

// The logical definition bytes; the page header fields (free space, next page) are zero.
std::vector<uint8_t> buildTableDefinition(const TableDef& def);

// How many pages a logical definition needs.
size_t tableDefinitionPageCount(size_t logicalSize);

// Splits a logical definition over pages; pageNumbers.size() must equal
// tableDefinitionPageCount(). Each page's next pointer and free space are filled in.
std::vector<PageBytes> splitTableDefinition(std::span<const uint8_t> logical,
                                            std::span<const uint32_t> pageNumbers);

// Counters a row insert updates in place on the first TDEF page.
inline constexpr size_t kTdefRowCountOffset = 0x10;
inline constexpr size_t kTdefAutoNumberOffset = 0x14;
inline constexpr size_t tdefDistinctKeysOffset(size_t realIndex) { return kTdefHeaderSize + 12 * realIndex + 4; }

// Name order Jet uses for column blocks and index names (case-insensitive).
bool jetNameLess(std::u16string_view a, std::u16string_view b);

}  // namespace jet
