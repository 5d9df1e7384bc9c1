#include "jet/text_encoding.h"

namespace jet {

std::vector<uint8_t> encodeText(std::u16string_view text, bool compress) {
  std::vector<uint8_t> out;
  bool compressible = compress && text.size() > 2 && text.size() <= kMaxCompressedChars;
  for (char16_t c : text) {
    if (c == 0 || c > 0xFF) {
      compressible = false;
      break;
    }
  }
  if (compressible) {
    out.reserve(2 + text.size());
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t c : text) out.push_back(static_cast<uint8_t>(c));
    return out;
  }
  out.reserve(2 * text.size());
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

}  // namespace jet
