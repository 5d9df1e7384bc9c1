#include "jet/table_layout.h"

#include <algorithm>

namespace jet {

namespace {
char16_t fold(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }
}  // namespace

bool namesEqual(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

bool nameLess(std::u16string_view a, std::u16string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return fold(x) < fold(y); });
}

uint16_t fixedSizeOf(ColumnType type) {
  switch (type) {
    case ColumnType::Boolean: return 1;
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency: return 8;
    case ColumnType::Single: return 4;
    case ColumnType::Double: return 8;
    case ColumnType::DateTime: return 8;
    case ColumnType::Guid: return 16;
    default: return 0;
  }
}

bool isVariableType(ColumnType type) {
  switch (type) {
    case ColumnType::Binary:
    case ColumnType::Text:
    case ColumnType::OLE:
    case ColumnType::Memo:
    case ColumnType::Numeric:
      return true;
    default:
      return false;
  }
}

uint16_t TableLayout::variableColumnCount() const {
  return static_cast<uint16_t>(
      std::count_if(columns.begin(), columns.end(), [](const ColumnLayout& c) { return !c.isFixed(); }));
}

uint16_t TableLayout::fixedAreaSize() const {
  uint16_t end = 0;
  for (const auto& c : columns) {
    if (c.isFixed() && c.type != ColumnType::Boolean) {
      end = std::max<uint16_t>(end, static_cast<uint16_t>(c.fixedOffset + c.length));
    }
  }
  return end;
}

const ColumnLayout* TableLayout::findColumn(std::u16string_view name) const {
  for (const auto& c : columns) {
    if (namesEqual(c.name, name)) return &c;
  }
  return nullptr;
}

}  // namespace jet
