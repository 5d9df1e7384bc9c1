#include "jet/format/text_encoding.h"

#include <bit>

namespace jet {

void appendEncodedText(std::u16string_view text, bool compress, std::vector<uint8_t>& out) {
  bool compressible = compress && text.size() > 2 && text.size() <= kMaxCompressedChars;
  for (size_t i = 0; compressible && i < text.size(); ++i) {
    if (text[i] == 0 || text[i] > 0xFF) compressible = false;
  }
  if (compressible) {
    const size_t at = out.size();
    out.resize(at + 2 + text.size());
    uint8_t* p = out.data() + at;
    *p++ = 0xFF;
    *p++ = 0xFE;
    for (char16_t c : text) *p++ = static_cast<uint8_t>(c);
    return;
  }
  // UTF-16LE is the memory form of char16_t here: the text's bytes as they are.
  static_assert(std::endian::native == std::endian::little);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  out.insert(out.end(), bytes, bytes + 2 * text.size());
}

std::vector<uint8_t> encodeText(std::u16string_view text, bool compress) {
  std::vector<uint8_t> out;
  appendEncodedText(text, compress, out);
  return out;
}

}  // namespace jet
