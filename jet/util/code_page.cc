#include "jet/util/code_page.h"

#include <vector>

#include "jet/util/code_page_tables.h"

namespace jet {

CodePage::CodePage(const code_page_tables::Table& table) : table_(&table) {
  for (unsigned b = 0; b < 0x80; ++b) units_[b] = static_cast<char16_t>(b);
  for (unsigned b = 0x80; b < 0x100; ++b) units_[b] = table.high[b - 0x80];
}

const CodePage* CodePage::find(uint16_t number) {
  static const std::vector<CodePage> pages = [] {
    std::vector<CodePage> all;
    for (const auto& table : code_page_tables::tables()) all.push_back(CodePage(table));
    return all;
  }();
  for (const auto& page : pages) {
    if (page.number() == number) return &page;
  }
  return nullptr;
}

uint16_t CodePage::number() const { return table_->number; }

bool CodePage::isDoubleByte() const { return table_->rows != nullptr; }

void CodePage::decode(std::span<const uint8_t> bytes, std::u16string& out) const {
  // Never more units than bytes: size once, then trim to what was written.
  out.resize(bytes.size());
  char16_t* to = out.data();
  const uint8_t* from = bytes.data();
  const uint8_t* const end = from + bytes.size();
  if (!isDoubleByte()) {
    while (from != end) *to++ = units_[*from++];
  } else {
    const code_page_tables::LeadRow* rows = table_->rows;
    while (from != end) {
      const uint8_t b = *from++;
      if (b < 0x80) {
        *to++ = b;
        continue;
      }
      const code_page_tables::LeadRow& row = rows[b];
      if (!row.lead) {
        *to++ = units_[b];
      } else if (from == end || *from == 0) {
        // Windows leaves a 0x00 after a lead byte to stand for itself.
        *to++ = table_->fallback;
      } else {
        const unsigned trail = *from++;
        const unsigned index = trail - row.first;  // wraps below first: out of the row
        *to++ = index < row.count ? table_->pairs[row.offset + index] : table_->fallback;
      }
    }
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

std::u16string CodePage::decode(std::span<const uint8_t> bytes) const {
  std::u16string out;
  decode(bytes, out);
  return out;
}

}  // namespace jet
