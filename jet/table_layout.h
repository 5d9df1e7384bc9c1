// The writer's model of a table definition: everything a TDEF holds, as plain values.
// table_definition_builder.cc turns it into TDEF pages and reads it back from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/value.h"

namespace jet {

namespace column_flag {
inline constexpr uint8_t kFixed = 0x01;
inline constexpr uint8_t kUpdatable = 0x02;  // always set by Jet
inline constexpr uint8_t kAutoNumber = 0x04;
inline constexpr uint8_t kSystem = 0x10;     // set on every system-table column
inline constexpr uint8_t kSystemSid = 0x20;  // system-table Owner/SID columns
}  // namespace column_flag

inline constexpr uint8_t kCompressedUnicodeFlag = 0x01;  // extra-flags byte
inline constexpr uint8_t kTableTypeUser = 0x4E;
inline constexpr uint8_t kTableTypeSystem = 0x53;

struct ColumnLayout {
  std::u16string name;
  ColumnType type = ColumnType::Long;
  uint16_t number = 0;       // null-mask bit; never reused
  uint16_t varIndex = 0;     // variable columns: slot in the offset table
  uint16_t fixedOffset = 0;  // fixed columns: offset in the fixed area
  uint16_t length = 0;       // bytes (Text: 2 per character; Memo/OLE 0; Boolean 1)
  uint8_t flags = column_flag::kUpdatable;
  uint8_t extraFlags = 0;
  uint32_t sortOrder = 0x00000409;  // General, legacy; Jet writes it on every column
  uint8_t precision = 0, scale = 0; // Numeric only
  // Memo/OLE: row pointers of the column's two long-value usage maps.
  uint32_t lvOwnedMap = 0, lvFreeMap = 0;

  bool isFixed() const { return (flags & column_flag::kFixed) != 0; }
  bool isLongValue() const { return type == ColumnType::Memo || type == ColumnType::OLE; }
  bool isAutoNumber() const { return (flags & column_flag::kAutoNumber) != 0; }
};

struct RealIndexLayout {
  struct Key {
    uint16_t column;   // column number
    uint8_t order;     // 0x01 ascending
  };
  std::vector<Key> keys;  // at most 10
  uint32_t usageMap = 0;  // row pointer
  uint32_t firstPage = 0;
  uint32_t unknown = 0;
  uint8_t flags = 0x80;
  uint32_t distinctKeys = 0;  // the counter kept in the 12-byte block before the columns
};

struct LogicalIndexLayout {
  std::u16string name;
  uint32_t number = 0;
  uint32_t realIndex = 0;
  uint8_t relatedTableType = 0;
  uint32_t relatedIndex = 0xFFFFFFFF;
  uint32_t relatedTable = 0;
  uint8_t cascadeUpdates = 0x04, cascadeDeletes = 0x04;
  uint8_t kind = 0;  // 1 primary key, 2 foreign key
};

struct TableLayout {
  uint8_t tableType = kTableTypeUser;
  uint32_t rowCount = 0;
  uint32_t autoNumber = 0;  // the last value handed out
  uint16_t maxColumns = 0;  // highest column number + 1, deleted columns included
  uint32_t ownedMap = 0, freeMap = 0;
  std::vector<ColumnLayout> columns;  // in column-number order
  std::vector<RealIndexLayout> realIndexes;
  std::vector<LogicalIndexLayout> logicalIndexes;

  uint16_t variableColumnCount() const;
  // Bytes of the fixed area of a row: the end of the last fixed column.
  uint16_t fixedAreaSize() const;
  const ColumnLayout* findColumn(std::u16string_view name) const;  // case-insensitive
};

// Case-insensitive comparison Jet uses for names (ASCII folding is enough for our names).
bool namesEqual(std::u16string_view a, std::u16string_view b);
bool nameLess(std::u16string_view a, std::u16string_view b);

// Storage size of a fixed column type (Boolean 1, Text/Memo/... 0).
uint16_t fixedSizeOf(ColumnType type);
bool isVariableType(ColumnType type);

}  // namespace jet
