#include "jet/format/table_definition.h"

#include <algorithm>
#include <unordered_set>

#include "jet/util/byte_view.h"
#include "jet/format/pager.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

constexpr size_t kNextPageOffset = 4;
constexpr size_t kLengthOffset = 8;
constexpr size_t kContinuationHeader = 8;
constexpr size_t kLongValueMapSize = 10;
// Jet allows 255 columns and 32 indexes per table; more means the counts are garbage.
constexpr size_t kMaxColumns = 256;
constexpr size_t kMaxIndexes = 1024;

// Where each stored field lies, for one format (the head comment of table_definition.h).
// kAbsent marks a field the format does not store: it keeps its default.
constexpr size_t kAbsent = SIZE_MAX;

struct DefinitionLayout {
  size_t rowCount, autoNumber, autoNumberFlag, tableType, maxColumns, varColumns, columnCount;
  size_t logicalCount, realCount, ownedMap, freeMap, headerSize;
  size_t realCounterSize, realCounterReserved8;
  size_t columnBlockSize, columnNumber, columnVarIndex, columnNumber2, columnSortInfo, columnFlags,
      columnExtraFlags, columnReserved17, columnFixedOffset, columnLength;
  size_t nameLengthSize;
  size_t realBlockSize, realColumns, realUsageMap, realFirstPage, realUnknown42, realFlags;
  size_t logicalBlockSize, logicalNumber, logicalReserved24;  // the others follow the number
};

constexpr DefinitionLayout kJet4Layout{
    0x10, 0x14, 0x18, 0x28, 0x29, 0x2B, 0x2D, 0x2F, 0x33, 0x37, 0x3B, 0x3F,
    12, 8,
    25, 5, 7, 9, 11, 15, 16, 17, 21, 23,
    2,
    52, 4, 34, 38, 42, 46,
    28, 4, 24};
constexpr DefinitionLayout kJet3Layout{
    0x0C, 0x10, kAbsent, 0x14, 0x15, 0x17, 0x19, 0x1B, 0x1F, 0x23, 0x27, 0x2B,
    8, kAbsent,
    18, 1, 3, kAbsent, 9, 13, kAbsent, kAbsent, 14, 16,
    1,
    39, 0, 30, 34, kAbsent, 38,
    20, 0, kAbsent};

template <typename T>
void readIfStored(const ByteView& v, size_t at, T& field) {
  if (at == kAbsent) return;
  if constexpr (sizeof(T) == 1) field = v.u8(at);
  else if constexpr (sizeof(T) == 2) field = v.u16(at);
  else field = v.u32(at);
}

std::u16string readName(const ByteView& v, size_t& pos, const DefinitionLayout& layout,
                        const CodePage* codePage) {
  size_t len = layout.nameLengthSize == 1 ? v.u8(pos) : v.u16(pos);
  pos += layout.nameLengthSize;
  ByteView name = v.sub(pos, len);
  pos += len;
  std::u16string out;
  if (codePage) {
    codePage->decode(name.bytes(), out);
    return out;
  }
  out.reserve(len / 2);
  for (size_t i = 0; i + 1 < len; i += 2) out.push_back(static_cast<char16_t>(name.u16(i)));
  return out;
}

// Concatenates the definition's pages into one logical buffer.
std::vector<uint8_t> loadDefinition(Pager& pager, uint32_t first, std::vector<uint32_t>& pages) {
  PageRef page = pager.readTyped(first, page_type::kTableDefinition, "table definition");
  std::vector<uint8_t> buf(page->bytes().begin(), page->bytes().end());
  pages.push_back(first);
  std::unordered_set<uint32_t> seen{first};
  uint32_t next = page->view().u32(kNextPageOffset);
  while (next != 0) {
    if (!seen.insert(next).second) throwCorrupt(first, "starts a table definition whose page chain loops");
    PageRef cont = pager.readTyped(next, page_type::kTableDefinition, "table definition");
    auto bytes = cont->bytes().subspan(kContinuationHeader);
    buf.insert(buf.end(), bytes.begin(), bytes.end());
    pages.push_back(next);
    next = cont->view().u32(kNextPageOffset);
  }
  return buf;
}

}  // namespace

std::optional<size_t> TableDef::findColumn(std::u16string_view wanted) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (equalsIgnoreCase(columns[i].name, wanted)) return i;
  }
  return std::nullopt;
}

size_t TableDef::fixedAreaSize() const {
  size_t end = 0;
  for (const auto& c : columns) {
    if (c.isFixed() && c.type != ColumnType::Boolean) {
      end = std::max<size_t>(end, size_t{c.fixedOffset} + c.length);
    }
  }
  return end;
}

TableDef readTableDefinition(Pager& pager, uint32_t first) {
  TableDef def;
  std::vector<uint8_t> buf = loadDefinition(pager, first, def.pages);
  ByteView v(buf, first);
  def.jet3 = pager.isJet3();
  const DefinitionLayout& l = def.jet3 ? kJet3Layout : kJet4Layout;
  const CodePage* text = def.jet3 ? pager.textCodePage() : nullptr;
  if (def.jet3 && !text) throwCorrupt(first, "holds a Jet 3 table definition whose text has no code page");

  def.definitionLength = v.u32(kLengthOffset);
  def.rowCount = v.u32(l.rowCount);
  readIfStored(v, l.autoNumber, def.autoNumber);
  readIfStored(v, l.autoNumberFlag, def.autoNumberFlag);
  def.tableType = v.u8(l.tableType);
  def.maxColumns = v.u16(l.maxColumns);
  def.varColumnCount = v.u16(l.varColumns);
  size_t columnCount = v.u16(l.columnCount);
  size_t logicalCount = v.u32(l.logicalCount);
  size_t realCount = v.u32(l.realCount);
  def.ownedPagesMap = v.u32(l.ownedMap);
  def.freePagesMap = v.u32(l.freeMap);
  if (columnCount > kMaxColumns || logicalCount > kMaxIndexes || realCount > kMaxIndexes) {
    throwCorrupt(first, "holds a table definition with impossible column or index counts");
  }

  size_t pos = l.headerSize;
  def.realIndexes.resize(realCount);
  for (auto& ri : def.realIndexes) {
    ByteView b = v.sub(pos, l.realCounterSize);
    ri.counterReserved0 = b.u32(0);
    ri.distinctKeys = b.u32(4);
    readIfStored(b, l.realCounterReserved8, ri.counterReserved8);
    pos += l.realCounterSize;
  }

  def.columns.resize(columnCount);
  for (auto& c : def.columns) {
    ByteView b = v.sub(pos, l.columnBlockSize);
    c.type = static_cast<ColumnType>(b.u8(0));
    c.number = b.u16(l.columnNumber);
    c.varIndex = b.u16(l.columnVarIndex);
    readIfStored(b, l.columnNumber2, c.number2);
    readIfStored(b, l.columnReserved17, c.reserved17);
    for (int i = 0; i < 4; ++i) c.sortInfo[i] = b.u8(l.columnSortInfo + i);
    c.flags = b.u8(l.columnFlags);
    c.extraFlags = 0;
    readIfStored(b, l.columnExtraFlags, c.extraFlags);
    c.fixedOffset = b.u16(l.columnFixedOffset);
    c.length = b.u16(l.columnLength);
    if (text && (c.type == ColumnType::Text || c.type == ColumnType::Memo)) c.codePage = text;
    pos += l.columnBlockSize;
  }
  for (auto& c : def.columns) c.name = readName(v, pos, l, text);

  for (auto& ri : def.realIndexes) {
    ByteView b = v.sub(pos, l.realBlockSize);
    for (size_t i = 0; i < kMaxIndexColumns; ++i) {
      uint16_t col = b.u16(l.realColumns + 3 * i);
      if (col == 0xFFFF) continue;
      ri.columns.push_back(IndexColumn{col, b.u8(l.realColumns + 2 + 3 * i)});
    }
    ri.usageMap = b.u32(l.realUsageMap);
    ri.firstPage = b.u32(l.realFirstPage);
    readIfStored(b, l.realUnknown42, ri.unknown42);
    ri.flags = b.u8(l.realFlags);
    pos += l.realBlockSize;
  }

  def.indexes.resize(logicalCount);
  for (auto& li : def.indexes) {
    readIfStored(v.sub(pos, l.logicalBlockSize), l.logicalReserved24, li.reserved24);
    ByteView b = v.sub(pos, l.logicalBlockSize).from(l.logicalNumber);
    li.number = b.u32(0);
    li.realIndex = b.u32(4);
    li.relatedTableType = b.u8(8);
    li.relatedIndex = b.i32(9);
    li.relatedTablePage = b.u32(13);
    li.cascadeUpdates = b.u8(17);
    li.cascadeDeletes = b.u8(18);
    li.kind = b.u8(19);
    pos += l.logicalBlockSize;
  }
  for (auto& li : def.indexes) li.name = readName(v, pos, l, text);

  // Long-value column maps; older writers may end the definition without them.
  size_t end = std::min<size_t>(buf.size(), def.definitionLength);
  for (size_t guard = 0; pos + 2 <= end && guard < kMaxColumns; ++guard) {
    uint16_t colNumber = v.u16(pos);
    if (colNumber == 0xFFFF || !v.has(pos, kLongValueMapSize)) break;
    for (auto& c : def.columns) {
      if (c.number == colNumber) {
        c.lvOwnedMap = v.u32(pos + 2);
        c.lvFreeMap = v.u32(pos + 6);
      }
    }
    pos += kLongValueMapSize;
  }

  std::stable_sort(def.columns.begin(), def.columns.end(),
                   [](const ColumnDef& a, const ColumnDef& b) { return a.number < b.number; });
  for (size_t i = 1; i < def.columns.size(); ++i) {
    if (def.columns[i].number == def.columns[i - 1].number) {
      throwCorrupt(first, "holds a table definition with two columns of one number");
    }
  }
  return def;
}

}  // namespace jet
