#include "jet/format/index_key.h"

#include <string>

#include "jet/util/error.h"

namespace jet {
namespace {

// General (legacy) sort codes for the characters our catalog uses; 0 = not supported.
// Letters fold to upper case; `_` takes two bytes.
std::vector<uint8_t> codeFor(char16_t c) {
  static constexpr uint8_t kLetters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                           0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                           0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
  static constexpr uint8_t kDigits[10] = {0x36, 0x38, 0x3A, 0x3C, 0x3E, 0x40, 0x42, 0x44, 0x46, 0x48};
  if (c >= u'A' && c <= u'Z') return {kLetters[c - u'A']};
  if (c >= u'a' && c <= u'z') return {kLetters[c - u'a']};
  if (c >= u'0' && c <= u'9') return {kDigits[c - u'0']};
  switch (c) {
    case u' ': return {0x07};
    case u'_': return {0x2B, 0x03};
    case u'.': return {0x1C};
    case u',': return {0x1A};
    case u'(': return {0x14};
    case u')': return {0x16};
    case u'#': return {0x0C};
    case u'&': return {0x12};
    case u'$': return {0x0E};
    case u'+': return {0x2C};
    case u'=': return {0x30};
    case u'@': return {0x26};
    default: return {};
  }
}

}  // namespace

void appendLongKey(IndexKey& key, std::optional<int32_t> value) {
  if (!value) {
    key.push_back(0x00);
    return;
  }
  key.push_back(0x7F);
  const uint32_t u = static_cast<uint32_t>(*value) ^ 0x80000000u;
  for (int shift = 24; shift >= 0; shift -= 8) key.push_back(static_cast<uint8_t>(u >> shift));
}

bool isIndexableText(std::u16string_view text) {
  for (char16_t c : text) {
    if (codeFor(c).empty()) return false;
  }
  return true;
}

void appendTextKey(IndexKey& key, std::optional<std::u16string_view> value) {
  if (!value) {
    key.push_back(0x00);
    return;
  }
  std::u16string_view text = *value;
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  if (text.size() > 255) text = text.substr(0, 255);
  key.push_back(0x7F);
  for (char16_t c : text) {
    const auto code = codeFor(c);
    if (code.empty()) {
      throw Error(errc::kUnspecified,
                  "Object names may hold only letters A-Z, digits, blanks and _ . , ( ) # & $ + = @.");
    }
    key.insert(key.end(), code.begin(), code.end());
  }
  key.push_back(0x01);
  key.push_back(0x00);
}

IndexKey leafEntry(IndexKey key, uint32_t page, uint8_t row) {
  key.push_back(static_cast<uint8_t>(page >> 16));
  key.push_back(static_cast<uint8_t>(page >> 8));
  key.push_back(static_cast<uint8_t>(page));
  key.push_back(row);
  return key;
}

}  // namespace jet
