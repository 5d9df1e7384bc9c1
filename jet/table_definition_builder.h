// Table definition (TDEF) pages, kind 0x02.
//
// Logical layout (first page from offset 0; continuation pages add their data after their
// own 8-byte header 02 01 <free u16> <next u32>):
//   0x00 02 01 <free u16> <next TDEF page u32>
//   0x08 u32 tdef_len (through the final FF FF)   0x0C u32 1625
//   0x10 u32 row count   0x14 u32 last autonumber   0x18 u8 1   0x19..0x27 zero
//   0x28 u8 table type (0x4E user, 0x53 system)   0x29 u16 max columns
//   0x2B u16 variable columns   0x2D u16 columns   0x2F u32 logical indexes
//   0x33 u32 real indexes   0x37 u32 owned-pages map   0x3B u32 free-space map
//   0x3F per real index 12 bytes: 0, distinct key count, 0
//        per column 25 bytes: type, 1625, number, var index, 0, sort order u32, flags,
//                             extra flags, 0 u32, fixed offset, length
//        per column: u16 byte length + UCS-2LE name
//        per real index 52 bytes: 1923, 10 x (column u16, order u8), map, first page,
//                             unknown u32, flags, 5 zero bytes
//        per logical index 28 bytes: 1625, number, real index, related type u8,
//                             related index u32, related TDEF u32, cascade u8 x2, kind u8, 0 u32
//        per logical index: u16 byte length + UCS-2LE name
//        per memo/OLE column 10 bytes: column number, owned map, free map
//        FF FF
// Jet writes the column blocks (with their names and memo trailers) sorted by column name
// and the logical indexes sorted by index name; we do the same. Fields Jet leaves as garbage
// (fixed offset of variable columns, spare index slots) are written as zero.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/page_format.h"
#include "jet/table_layout.h"

namespace jet {

inline constexpr size_t kTdefHeaderSize = 63;

// The logical definition bytes (page header fields next/free left zero).
std::vector<uint8_t> buildTableDefinition(const TableLayout& layout);

// How many pages a logical definition needs.
size_t tableDefinitionPageCount(size_t logicalSize);

// Splits a logical definition over pages; pageNumbers.size() must equal
// tableDefinitionPageCount(). Each page's next pointer and free space are filled in.
std::vector<PageBytes> splitTableDefinition(std::span<const uint8_t> logical,
                                            std::span<const uint32_t> pageNumbers);

// Parses a logical definition (as assembled from its pages). Throws jet::Error on bytes
// that do not form a definition.
TableLayout parseTableDefinition(std::span<const uint8_t> logical);

// Offsets of the counters a row insert updates in place on the first TDEF page.
inline constexpr size_t kTdefRowCountOffset = 0x10;
inline constexpr size_t kTdefAutoNumberOffset = 0x14;
inline constexpr size_t tdefDistinctKeysOffset(size_t realIndex) { return kTdefHeaderSize + 12 * realIndex + 4; }

}  // namespace jet
