// Text that Jet 3 files store as bytes in a Windows code page, converted to UTF-16 exactly as
// Windows' MultiByteToWideChar(page, 0, ...) converts it, from tables of the engine's own
// (code_page_tables.cc): no iconv, ICU or C library locale at run time.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace jet {

namespace code_page_tables {
struct Table;
}

// Any bytes decode, as Windows decodes them: a byte or pair the page leaves undefined becomes
// the page's default character (U+30FB in 932, '?' in the other double-byte pages), a lead byte
// takes the byte after it as its trail whatever that is, unless it is 0x00 or the text ends: then
// the lead byte alone becomes the default character.
class CodePage {
 public:
  // The code page with this Windows number, or nullptr when the engine has no table for it.
  static const CodePage* find(uint16_t number);
  uint16_t number() const;
  bool isDoubleByte() const;
  // The UTF-16 text of `bytes`, into `out` (cleared first, its storage reused).
  void decode(std::span<const uint8_t> bytes, std::u16string& out) const;
  std::u16string decode(std::span<const uint8_t> bytes) const;

 private:
  explicit CodePage(const code_page_tables::Table& table);

  const code_page_tables::Table* table_;
  std::array<char16_t, 256> units_;  // every byte alone
};

}  // namespace jet
