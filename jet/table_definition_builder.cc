#include "jet/table_definition_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>

#include "jet/error.h"
#include "jet/le_bytes.h"

namespace jet {
namespace {

constexpr size_t kColumnBlockSize = 25;
constexpr size_t kRealIndexBlockSize = 52;
constexpr size_t kLogicalIndexBlockSize = 28;
constexpr size_t kMaxIndexColumns = 10;

std::vector<size_t> columnsByName(const TableLayout& t) {
  std::vector<size_t> order(t.columns.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return nameLess(t.columns[a].name, t.columns[b].name); });
  return order;
}

void putName(le::ByteBuilder& b, std::u16string_view name) {
  b.u16(static_cast<uint16_t>(name.size() * 2));
  b.utf16(name);
}

Error corrupt(const char* what) {
  return Error(errc::kUnspecified, std::string("Damaged table definition: ") + what + ".");
}

}  // namespace

std::vector<uint8_t> buildTableDefinition(const TableLayout& t) {
  le::ByteBuilder b;
  b.u8(page_kind::kTableDefinition);
  b.u8(0x01);
  b.u16(0);  // free space: set per page by splitTableDefinition
  b.u32(0);  // next page
  b.u32(0);  // tdef_len, patched below
  b.u32(kTdefMagic);
  b.u32(t.rowCount);
  b.u32(t.autoNumber);
  b.u8(0x01);
  b.zeros(15);
  b.u8(t.tableType);
  b.u16(t.maxColumns);
  b.u16(t.variableColumnCount());
  b.u16(static_cast<uint16_t>(t.columns.size()));
  b.u32(static_cast<uint32_t>(t.logicalIndexes.size()));
  b.u32(static_cast<uint32_t>(t.realIndexes.size()));
  b.u32(t.ownedMap);
  b.u32(t.freeMap);
  assert(b.size() == kTdefHeaderSize);

  for (const auto& ri : t.realIndexes) {
    b.u32(0);
    b.u32(ri.distinctKeys);
    b.u32(0);
  }
  const auto order = columnsByName(t);
  for (size_t i : order) {
    const auto& c = t.columns[i];
    b.u8(static_cast<uint8_t>(c.type));
    b.u32(kTdefMagic);
    b.u16(c.number);
    b.u16(c.varIndex);
    b.u16(0);
    if (c.type == ColumnType::Numeric) {
      b.u8(c.precision);
      b.u8(c.scale);
      b.u16(0);
    } else {
      b.u32(c.sortOrder);
    }
    b.u8(c.flags);
    b.u8(c.extraFlags);
    b.u32(0);
    b.u16(c.isFixed() ? c.fixedOffset : 0);
    b.u16(c.length);
  }
  for (size_t i : order) putName(b, t.columns[i].name);
  for (const auto& ri : t.realIndexes) {
    if (ri.keys.size() > kMaxIndexColumns) throw Error(errc::kUnspecified, "An index can have at most 10 columns.");
    b.u32(kRealIndexMagic);
    for (size_t k = 0; k < kMaxIndexColumns; ++k) {
      if (k < ri.keys.size()) {
        b.u16(ri.keys[k].column);
        b.u8(ri.keys[k].order);
      } else {
        b.u16(0xFFFF);
        b.u8(0);
      }
    }
    b.u32(ri.usageMap);
    b.u32(ri.firstPage);
    b.u32(ri.unknown);
    b.u8(ri.flags);
    b.zeros(5);
  }
  std::vector<size_t> lorder(t.logicalIndexes.size());
  std::iota(lorder.begin(), lorder.end(), 0);
  std::stable_sort(lorder.begin(), lorder.end(), [&](size_t a, size_t b2) {
    return nameLess(t.logicalIndexes[a].name, t.logicalIndexes[b2].name);
  });
  for (size_t i : lorder) {
    const auto& li = t.logicalIndexes[i];
    b.u32(kTdefMagic);
    b.u32(li.number);
    b.u32(li.realIndex);
    b.u8(li.relatedTableType);
    b.u32(li.relatedIndex);
    b.u32(li.relatedTable);
    b.u8(li.cascadeUpdates);
    b.u8(li.cascadeDeletes);
    b.u8(li.kind);
    b.u32(0);
  }
  for (size_t i : lorder) putName(b, t.logicalIndexes[i].name);
  for (size_t i : order) {
    const auto& c = t.columns[i];
    if (!c.isLongValue()) continue;
    b.u16(c.number);
    b.u32(c.lvOwnedMap);
    b.u32(c.lvFreeMap);
  }
  b.u16(0xFFFF);
  auto bytes = b.take();
  le::put32(bytes, 8, static_cast<uint32_t>(bytes.size()));
  return bytes;
}

size_t tableDefinitionPageCount(size_t logicalSize) {
  if (logicalSize <= kPageSize) return 1;
  const size_t rest = logicalSize - kPageSize;
  return 1 + (rest + (kPageSize - 8) - 1) / (kPageSize - 8);
}

std::vector<PageBytes> splitTableDefinition(std::span<const uint8_t> logical,
                                            std::span<const uint32_t> pageNumbers) {
  assert(pageNumbers.size() == tableDefinitionPageCount(logical.size()));
  std::vector<PageBytes> pages(pageNumbers.size());
  size_t pos = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    auto& p = pages[i];
    p.fill(0);
    size_t dataStart = 0;
    if (i == 0) {
      const size_t n = std::min<size_t>(logical.size(), kPageSize);
      std::memcpy(p.data(), logical.data(), n);
      pos = n;
      dataStart = n;
    } else {
      p[0] = page_kind::kTableDefinition;
      p[1] = 0x01;
      const size_t n = std::min<size_t>(logical.size() - pos, kPageSize - 8);
      std::memcpy(p.data() + 8, logical.data() + pos, n);
      pos += n;
      dataStart = 8 + n;
    }
    const long free = static_cast<long>(kPageSize) - static_cast<long>(dataStart) - 8;
    le::put16(p, 2, static_cast<uint16_t>(std::max(0L, free)));
    le::put32(p, 4, i + 1 < pages.size() ? pageNumbers[i + 1] : 0);
  }
  return pages;
}

TableLayout parseTableDefinition(std::span<const uint8_t> d) {
  if (d.size() < kTdefHeaderSize || d[0] != page_kind::kTableDefinition) throw corrupt("wrong page kind");
  TableLayout t;
  t.rowCount = le::get32(d, 0x10);
  t.autoNumber = le::get32(d, 0x14);
  t.tableType = le::get8(d, 0x28);
  t.maxColumns = le::get16(d, 0x29);
  const uint16_t numCols = le::get16(d, 0x2D);
  const uint32_t numLogical = le::get32(d, 0x2F);
  const uint32_t numReal = le::get32(d, 0x33);
  if (numReal > 1000 || numLogical > 1000) throw corrupt("too many indexes");
  t.ownedMap = le::get32(d, 0x37);
  t.freeMap = le::get32(d, 0x3B);
  size_t off = kTdefHeaderSize;
  t.realIndexes.resize(numReal);
  for (auto& ri : t.realIndexes) {
    ri.distinctKeys = le::get32(d, off + 4);
    off += 12;
  }
  std::vector<ColumnLayout> cols(numCols);
  for (auto& c : cols) {
    le::checkRange(d.size(), off, kColumnBlockSize);
    c.type = static_cast<ColumnType>(d[off]);
    c.number = le::get16(d, off + 5);
    c.varIndex = le::get16(d, off + 7);
    c.sortOrder = le::get32(d, off + 11);
    c.precision = d[off + 11];
    c.scale = d[off + 12];
    c.flags = d[off + 15];
    c.extraFlags = d[off + 16];
    c.fixedOffset = le::get16(d, off + 21);
    c.length = le::get16(d, off + 23);
    off += kColumnBlockSize;
  }
  for (auto& c : cols) {
    const uint16_t len = le::get16(d, off);
    le::checkRange(d.size(), off + 2, len);
    c.name.resize(len / 2);
    for (size_t i = 0; i < len / 2; ++i) c.name[i] = static_cast<char16_t>(le::get16(d, off + 2 + 2 * i));
    off += 2 + len;
  }
  for (auto& ri : t.realIndexes) {
    le::checkRange(d.size(), off, kRealIndexBlockSize);
    for (size_t k = 0; k < kMaxIndexColumns; ++k) {
      const uint16_t col = le::get16(d, off + 4 + 3 * k);
      if (col != 0xFFFF) ri.keys.push_back({col, d[off + 6 + 3 * k]});
    }
    ri.usageMap = le::get32(d, off + 34);
    ri.firstPage = le::get32(d, off + 38);
    ri.unknown = le::get32(d, off + 42);
    ri.flags = d[off + 46];
    off += kRealIndexBlockSize;
  }
  t.logicalIndexes.resize(numLogical);
  for (auto& li : t.logicalIndexes) {
    le::checkRange(d.size(), off, kLogicalIndexBlockSize);
    li.number = le::get32(d, off + 4);
    li.realIndex = le::get32(d, off + 8);
    li.relatedTableType = d[off + 12];
    li.relatedIndex = le::get32(d, off + 13);
    li.relatedTable = le::get32(d, off + 17);
    li.cascadeUpdates = d[off + 21];
    li.cascadeDeletes = d[off + 22];
    li.kind = d[off + 23];
    off += kLogicalIndexBlockSize;
  }
  for (auto& li : t.logicalIndexes) {
    const uint16_t len = le::get16(d, off);
    le::checkRange(d.size(), off + 2, len);
    li.name.resize(len / 2);
    for (size_t i = 0; i < len / 2; ++i) li.name[i] = static_cast<char16_t>(le::get16(d, off + 2 + 2 * i));
    off += 2 + len;
  }
  // Memo/OLE trailers until FF FF.
  for (size_t guard = 0; guard <= numCols; ++guard) {
    const uint16_t col = le::get16(d, off);
    if (col == 0xFFFF) break;
    const uint32_t owned = le::get32(d, off + 2), free = le::get32(d, off + 6);
    for (auto& c : cols) {
      if (c.number == col) {
        c.lvOwnedMap = owned;
        c.lvFreeMap = free;
      }
    }
    off += 10;
  }
  std::sort(cols.begin(), cols.end(), [](const ColumnLayout& a, const ColumnLayout& b) { return a.number < b.number; });
  for (const auto& c : cols) {
    if (!c.isFixed() && c.type == ColumnType::Boolean) throw corrupt("variable Boolean column");
  }
  t.columns = std::move(cols);
  return t;
}

}  // namespace jet
