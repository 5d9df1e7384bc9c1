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
constexpr size_t kRowCountOffset = 0x10;
constexpr size_t kAutoNumberOffset = 0x14;
constexpr size_t kAutoNumberFlagOffset = 0x18;
constexpr size_t kTableTypeOffset = 0x28;
constexpr size_t kMaxColumnsOffset = 0x29;
constexpr size_t kVarColumnsOffset = 0x2B;
constexpr size_t kColumnCountOffset = 0x2D;
constexpr size_t kLogicalIndexCountOffset = 0x2F;
constexpr size_t kRealIndexCountOffset = 0x33;
constexpr size_t kOwnedMapOffset = 0x37;
constexpr size_t kFreeMapOffset = 0x3B;
constexpr size_t kHeaderSize = 0x3F;
constexpr size_t kContinuationHeader = 8;
constexpr size_t kRealIndexCounterSize = 12;
constexpr size_t kColumnBlockSize = 25;
constexpr size_t kRealIndexBlockSize = 52;
constexpr size_t kLogicalIndexBlockSize = 28;
constexpr size_t kLongValueMapSize = 10;
// Jet allows 255 columns and 32 indexes per table; more means the counts are garbage.
constexpr size_t kMaxColumns = 256;
constexpr size_t kMaxIndexes = 1024;

std::u16string readName(const ByteView& v, size_t& pos) {
  uint16_t len = v.u16(pos);
  pos += 2;
  ByteView name = v.sub(pos, len);
  pos += len;
  std::u16string out;
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

  def.definitionLength = v.u32(kLengthOffset);
  def.rowCount = v.u32(kRowCountOffset);
  def.autoNumber = v.u32(kAutoNumberOffset);
  def.autoNumberFlag = v.u8(kAutoNumberFlagOffset);
  def.tableType = v.u8(kTableTypeOffset);
  def.maxColumns = v.u16(kMaxColumnsOffset);
  def.varColumnCount = v.u16(kVarColumnsOffset);
  size_t columnCount = v.u16(kColumnCountOffset);
  size_t logicalCount = v.u32(kLogicalIndexCountOffset);
  size_t realCount = v.u32(kRealIndexCountOffset);
  def.ownedPagesMap = v.u32(kOwnedMapOffset);
  def.freePagesMap = v.u32(kFreeMapOffset);
  if (columnCount > kMaxColumns || logicalCount > kMaxIndexes || realCount > kMaxIndexes) {
    throwCorrupt(first, "holds a table definition with impossible column or index counts");
  }

  size_t pos = kHeaderSize;
  def.realIndexes.resize(realCount);
  for (auto& ri : def.realIndexes) {
    ri.counterReserved0 = v.u32(pos);
    ri.distinctKeys = v.u32(pos + 4);
    ri.counterReserved8 = v.u32(pos + 8);
    pos += kRealIndexCounterSize;
  }

  def.columns.resize(columnCount);
  for (auto& c : def.columns) {
    ByteView b = v.sub(pos, kColumnBlockSize);
    c.type = static_cast<ColumnType>(b.u8(0));
    c.number = b.u16(5);
    c.varIndex = b.u16(7);
    c.number2 = b.u16(9);
    for (int i = 0; i < 4; ++i) c.sortInfo[i] = b.u8(11 + i);
    c.flags = b.u8(15);
    c.extraFlags = b.u8(16);
    c.reserved17 = b.u32(17);
    c.fixedOffset = b.u16(21);
    c.length = b.u16(23);
    pos += kColumnBlockSize;
  }
  for (auto& c : def.columns) c.name = readName(v, pos);

  for (auto& ri : def.realIndexes) {
    ByteView b = v.sub(pos, kRealIndexBlockSize);
    for (size_t i = 0; i < kMaxIndexColumns; ++i) {
      uint16_t col = b.u16(4 + 3 * i);
      if (col == 0xFFFF) continue;
      ri.columns.push_back(IndexColumn{col, b.u8(6 + 3 * i)});
    }
    ri.usageMap = b.u32(34);
    ri.firstPage = b.u32(38);
    ri.unknown42 = b.u32(42);
    ri.flags = b.u8(46);
    pos += kRealIndexBlockSize;
  }

  def.indexes.resize(logicalCount);
  for (auto& li : def.indexes) {
    ByteView b = v.sub(pos, kLogicalIndexBlockSize);
    li.number = b.u32(4);
    li.realIndex = b.u32(8);
    li.relatedTableType = b.u8(12);
    li.relatedIndex = b.i32(13);
    li.relatedTablePage = b.u32(17);
    li.cascadeUpdates = b.u8(21);
    li.cascadeDeletes = b.u8(22);
    li.kind = b.u8(23);
    li.reserved24 = b.u32(24);
    pos += kLogicalIndexBlockSize;
  }
  for (auto& li : def.indexes) li.name = readName(v, pos);

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
