// A table definition (TDEF) as stored: plain value types holding every stored field, read by
// table_definition.cc and built into bytes by the writer.
//
// Logical layout (Jet 4). A definition may span several type-0x02 pages linked through bytes
// 4..7; the logical buffer is the first page whole plus each continuation page after its 8-byte
// header. Offsets below are into that buffer.
//   0x00 1  0x02            0x01 1  0x01           0x02 2  free space on the first page
//   0x04 4  next TDEF page  0x08 4  definition length (through the final FF FF)
//   0x0C 4  1625            0x10 4  row count      0x14 4  last autonumber handed out
//   0x18 1  autonumber flag (1)     0x19 15 zero
//   0x28 1  table type: 0x4E user, 0x53 system
//   0x29 2  max column number + 1   0x2B 2 variable columns   0x2D 2 columns
//   0x2F 4  logical indexes         0x33 4 real indexes
//   0x37 4  row pointer to the owned-pages usage map   0x3B 4 to the free-space usage map
//   0x3F    real index counters, 12 bytes each: 4 zero, 4 distinct keys, 4 zero
//           column blocks, 25 bytes each:
//             0 type, 1 (4) 1625, 5 (2) column number, 7 (2) variable slot, 9 (2) number again,
//             11 (4) text: LCID(2) unknown(1) sort version(1) / Decimal: precision, scale,
//             15 flags, 16 extra flags, 17 (4) zero, 21 (2) fixed offset, 23 (2) length
//           column names: 2-byte byte length + UCS-2LE, in block order
//           real index blocks, 52 bytes each:
//             0 (4) 1923, 4 10 x (column number (2), order (1)), 34 (4) usage map row pointer,
//             38 (4) first index page, 42 (4) unknown, 46 flags, 47 (5) zero
//           logical index blocks, 28 bytes each:
//             0 (4) 1625, 4 (4) number, 8 (4) real index, 12 related table type,
//             13 (4) related index, 17 (4) related TDEF page, 21 cascade updates,
//             22 cascade deletes, 23 kind (1 primary key, 2 foreign key), 24 (4) zero
//           logical index names (2-byte length + UCS-2LE)
//           long-value column maps, 10 bytes each: column number (2), owned map (4), free map (4)
//           FF FF
// Jet 3 (2048-byte pages) keeps the same parts, narrower:
//   0x08 4  definition length  0x0C 4 row count   0x10 4 last autonumber
//   0x14 1  table type         0x15 2 max column + 1
//   0x17 2  variable columns   0x19 2 columns     0x1B 4 logical indexes  0x1F 4 real indexes
//   0x23 4  owned-pages map    0x27 4 free-space map   0x2B  real index counters, 8 bytes each
//           column blocks, 18 bytes each: 0 type, 1 (2) number, 3 (2) variable slot,
//             9 (2) sort order LCID, 11 (2) code page, 13 flags, 14 (2) fixed offset, 16 (2) length
//           names: 1-byte byte length + code-page text
//           real index blocks, 39 bytes each: 0 10 x (column (2), order (1)), 30 (4) usage map,
//             34 (4) first index page, 38 flags
//           logical index blocks, 20 bytes each: the Jet 4 block without its first and last 4 bytes
//           logical index names, long-value column maps and FF FF as in Jet 4
//
// Layout: docs/file-format.md#table-definitions
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/util/code_page.h"
#include "jet/util/value.h"

namespace jet {

namespace column_flag {
inline constexpr uint8_t kFixed = 0x01;
inline constexpr uint8_t kNullable = 0x02;  // set on every column Jet writes
inline constexpr uint8_t kAutoNumber = 0x04;
inline constexpr uint8_t kReplication = 0x10;
inline constexpr uint8_t kGuidAutoNumber = 0x40;
inline constexpr uint8_t kHyperlink = 0x80;
}  // namespace column_flag
inline constexpr uint8_t kExtraFlagCompressedUnicode = 0x01;

inline constexpr uint8_t kTableTypeUser = 0x4E;
inline constexpr uint8_t kTableTypeSystem = 0x53;
inline constexpr uint32_t kTdefMagic = 1625;
inline constexpr uint32_t kRealIndexMagic = 1923;

struct ColumnDef {
  std::u16string name;
  ColumnType type = ColumnType::Text;  // may hold a code the enum does not name (e.g. 0x11)
  uint16_t number = 0;                 // null-mask bit; deleted columns leave gaps
  uint16_t varIndex = 0;               // slot in the row's variable offset table
  uint16_t number2 = 0;                // "column number again" (offset 9); unused by readers
  uint8_t sortInfo[4] = {0x09, 0x04, 0x00, 0x00};  // text: LCID, ?, sort version; Decimal: p, s
  uint8_t flags = column_flag::kNullable;
  uint8_t extraFlags = 0;
  uint32_t reserved17 = 0;
  uint16_t fixedOffset = 0;  // within the row's fixed area (fixed columns only)
  uint16_t length = 0;       // bytes: Text 2 x chars, Memo/OLE 0, Boolean 1
  // Long-value (Memo/OLE) columns: row pointers of their two usage maps, 0 when absent.
  uint32_t lvOwnedMap = 0;
  uint32_t lvFreeMap = 0;
  // Text and Memo columns of a Jet 3 table: the code page of their bytes (Jet 4: null, UTF-16).
  const CodePage* codePage = nullptr;

  bool isFixed() const { return flags & column_flag::kFixed; }
  bool isAutoNumber() const { return flags & column_flag::kAutoNumber; }
  bool isGuidAutoNumber() const { return flags & column_flag::kGuidAutoNumber; }
  bool isHyperlink() const { return flags & column_flag::kHyperlink; }
  bool isCompressedUnicode() const { return extraFlags & kExtraFlagCompressedUnicode; }
  bool isLongValue() const { return type == ColumnType::Memo || type == ColumnType::OLE; }
  // A Text column's declared size in characters: Jet 4 counts two bytes a character, Jet 3
  // (whose text columns have a code page) one.
  uint16_t textSize() const { return codePage ? length : static_cast<uint16_t>(length / 2); }
  uint8_t precision() const { return sortInfo[0]; }
  uint8_t scale() const { return sortInfo[1]; }
  uint16_t sortLcid() const { return static_cast<uint16_t>(sortInfo[0] | (sortInfo[1] << 8)); }
  uint8_t sortVersion() const { return sortInfo[3]; }
};

struct IndexColumn {
  uint16_t columnNumber = 0;
  uint8_t order = 0x01;  // 0x01 ascending
  bool ascending() const { return order == 0x01; }
};

namespace index_flag {
inline constexpr uint8_t kUnique = 0x01;
inline constexpr uint8_t kIgnoreNulls = 0x02;
inline constexpr uint8_t kRequired = 0x08;
inline constexpr uint8_t kJet4 = 0x80;  // set in every Access 2000+ file
}  // namespace index_flag

// A real index names at most this many columns: its definition has room for ten.
inline constexpr size_t kMaxIndexColumns = 10;

// A physical index: the b-tree. Several logical indexes may share one.
struct RealIndexDef {
  uint32_t counterReserved0 = 0;
  uint32_t distinctKeys = 0;  // number of distinct key values
  uint32_t counterReserved8 = 0;
  std::vector<IndexColumn> columns;  // up to 10, in key order
  uint32_t usageMap = 0;             // row pointer
  uint32_t firstPage = 0;            // root page
  uint32_t unknown42 = 0;
  uint8_t flags = index_flag::kJet4;
  bool unique() const { return flags & index_flag::kUnique; }
};

namespace index_kind {
inline constexpr uint8_t kNormal = 0x00;
inline constexpr uint8_t kPrimaryKey = 0x01;
inline constexpr uint8_t kForeignKey = 0x02;
}  // namespace index_kind

// A named index as the user sees it.
struct LogicalIndexDef {
  std::u16string name;
  uint32_t number = 0;
  uint32_t realIndex = 0;
  uint8_t relatedTableType = 0;
  int32_t relatedIndex = -1;
  uint32_t relatedTablePage = 0;
  uint8_t cascadeUpdates = 0;
  uint8_t cascadeDeletes = 0;
  uint8_t kind = index_kind::kNormal;
  uint32_t reserved24 = 0;
  bool isPrimaryKey() const { return kind == index_kind::kPrimaryKey; }
};

struct TableDef {
  std::u16string name;          // from the catalog
  std::vector<uint32_t> pages;  // the TDEF page chain, first page first
  uint32_t firstPage() const { return pages.empty() ? 0 : pages.front(); }

  uint32_t definitionLength = 0;
  uint32_t rowCount = 0;        // as stored; may be stale after an unclean close
  uint32_t autoNumber = 0;      // last value handed out
  uint8_t autoNumberFlag = 1;
  uint8_t tableType = kTableTypeUser;
  uint16_t maxColumns = 0;      // highest column number + 1, deleted columns included
  uint16_t varColumnCount = 0;
  uint32_t ownedPagesMap = 0;   // row pointers
  uint32_t freePagesMap = 0;
  bool jet3 = false;            // read from a Jet 3 file: its rows have the Jet 3 layout

  std::vector<ColumnDef> columns;  // sorted by column number
  std::vector<RealIndexDef> realIndexes;
  std::vector<LogicalIndexDef> indexes;  // in stored order

  // Position in `columns` of the column named `name` (case-insensitive), or nullopt.
  std::optional<size_t> findColumn(std::u16string_view name) const;
  // Bytes of the fixed area of a row written with this definition.
  size_t fixedAreaSize() const;
};

class Pager;
// Reads the definition whose first page is `page`; throws a corrupt-page error naming the page
// when the bytes do not hold together.
TableDef readTableDefinition(Pager& pager, uint32_t page);

// Fixed size in the row of a column type, 0 for variable-length types.
inline size_t fixedSizeOf(ColumnType type) {
  switch (type) {
    case ColumnType::Boolean: return 0;
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency: return 8;
    case ColumnType::Single: return 4;
    case ColumnType::Double: return 8;
    case ColumnType::DateTime: return 8;
    case ColumnType::Guid: return 16;
    case ColumnType::Numeric: return 17;
    default: return 0;
  }
}

}  // namespace jet
