#include "jet/format/table_definition_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <numeric>

#include "jet/util/error.h"
#include "jet/util/byte_builder.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

void putName(le::ByteBuilder& b, std::u16string_view name) {
  b.u16(static_cast<uint16_t>(name.size() * 2));
  b.utf16(name);
}

template <typename T, typename Name>
std::vector<size_t> byName(const std::vector<T>& items, Name name) {
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return jetNameLess(name(items[a]), name(items[b])); });
  return order;
}

}  // namespace

bool jetNameLess(std::u16string_view a, std::u16string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return foldCase(x) < foldCase(y); });
}

std::vector<uint8_t> buildTableDefinition(const TableDef& t) {
  le::ByteBuilder b;
  b.u8(page_type::kTableDefinition);
  b.u8(0x01);
  b.u16(0);  // free space: set per page by splitTableDefinition
  b.u32(0);  // next page
  b.u32(0);  // definition length, patched below
  b.u32(kTdefMagic);
  b.u32(t.rowCount);
  b.u32(t.autoNumber);
  b.u8(0x01);  // Access needs this for autonumbers to work
  b.zeros(15);
  b.u8(t.tableType);
  b.u16(t.maxColumns);
  b.u16(static_cast<uint16_t>(
      std::count_if(t.columns.begin(), t.columns.end(), [](const ColumnDef& c) { return !c.isFixed(); })));
  b.u16(static_cast<uint16_t>(t.columns.size()));
  b.u32(static_cast<uint32_t>(t.indexes.size()));
  b.u32(static_cast<uint32_t>(t.realIndexes.size()));
  b.u32(t.ownedPagesMap);
  b.u32(t.freePagesMap);
  assert(b.size() == kTdefHeaderSize);

  for (const auto& ri : t.realIndexes) {
    b.u32(0);
    b.u32(ri.distinctKeys);
    b.u32(0);
  }
  const auto order = byName(t.columns, [](const ColumnDef& c) -> std::u16string_view { return c.name; });
  for (size_t i : order) {
    const auto& c = t.columns[i];
    b.u8(static_cast<uint8_t>(c.type));
    b.u32(kTdefMagic);
    b.u16(c.number);
    b.u16(c.varIndex);
    b.u16(c.number2);
    for (uint8_t s : c.sortInfo) b.u8(s);
    b.u8(c.flags);
    b.u8(c.extraFlags);
    b.u32(0);
    b.u16(c.isFixed() ? c.fixedOffset : 0);
    b.u16(c.length);
  }
  for (size_t i : order) putName(b, t.columns[i].name);
  for (const auto& ri : t.realIndexes) {
    if (ri.columns.size() > kMaxIndexColumns) {
      throw Error(errc::kUnspecified, "An index can have at most 10 columns.");
    }
    b.u32(kRealIndexMagic);
    for (size_t k = 0; k < kMaxIndexColumns; ++k) {
      if (k < ri.columns.size()) {
        b.u16(ri.columns[k].columnNumber);
        b.u8(ri.columns[k].order);
      } else {
        b.u16(0xFFFF);
        b.u8(0);
      }
    }
    b.u32(ri.usageMap);
    b.u32(ri.firstPage);
    b.u32(0);
    b.u8(ri.flags);
    b.zeros(5);
  }
  const auto lorder = byName(t.indexes, [](const LogicalIndexDef& l) -> std::u16string_view { return l.name; });
  for (size_t i : lorder) {
    const auto& li = t.indexes[i];
    b.u32(kTdefMagic);
    b.u32(li.number);
    b.u32(li.realIndex);
    b.u8(li.relatedTableType);
    b.u32(static_cast<uint32_t>(li.relatedIndex));
    b.u32(li.relatedTablePage);
    b.u8(li.cascadeUpdates);
    b.u8(li.cascadeDeletes);
    b.u8(li.kind);
    b.u32(0);
  }
  for (size_t i : lorder) putName(b, t.indexes[i].name);
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
    size_t used;
    if (i == 0) {
      const size_t n = std::min<size_t>(logical.size(), kPageSize);
      std::memcpy(p.data(), logical.data(), n);
      pos = n;
      used = n;
    } else {
      p[0] = page_type::kTableDefinition;
      p[1] = 0x01;
      const size_t n = std::min<size_t>(logical.size() - pos, kPageSize - 8);
      std::memcpy(p.data() + 8, logical.data() + pos, n);
      pos += n;
      used = 8 + n;
    }
    // Jet stores "free space minus 8" in this field.
    const long free = static_cast<long>(kPageSize) - static_cast<long>(used) - 8;
    le::put16(p, 2, static_cast<uint16_t>(std::max(0L, free)));
    le::put32(p, 4, i + 1 < pages.size() ? pageNumbers[i + 1] : 0);
  }
  return pages;
}

}  // namespace jet
