#include "jet/text_encoding.h"

namespace jet {

void appendEncodedText(std::u16string_view text, bool compress, std::vector<uint8_t>& out) {
  bool compressible = compress && text.size() > 2 && text.size() <= kMaxCompressedChars;
  for (size_t i = 0; compressible && i < text.size(); ++i) {
    if (text[i] == 0 || text[i] > 0xFF) compressible = false;
  }
  const size_t at = out.size();
  if (compressible) {
    out.resize(at + 2 + text.size());
    uint8_t* p = out.data() + at;
    *p++ = 0xFF;
    *p++ = 0xFE;
    for (char16_t c : text) *p++ = static_cast<uint8_t>(c);
    return;
  }
  out.resize(at + 2 * text.size());
  uint8_t* p = out.data() + at;
  for (char16_t c : text) {
    *p++ = static_cast<uint8_t>(c);
    *p++ = static_cast<uint8_t>(c >> 8);
  }
}

std::vector<uint8_t> encodeText(std::u16string_view text, bool compress) {
  std::vector<uint8_t> out;
  appendEncodedText(text, compress, out);
  return out;
}

}  // namespace jet
