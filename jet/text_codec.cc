#include "jet/text_codec.h"

namespace jet {
namespace {

void appendSegment(std::span<const uint8_t> seg, bool oneByte, std::u16string& out) {
  if (oneByte) {
    for (uint8_t b : seg) out.push_back(static_cast<char16_t>(b));
  } else {
    // An odd trailing byte cannot form a character; drop it.
    for (size_t i = 0; i + 1 < seg.size(); i += 2) {
      out.push_back(static_cast<char16_t>(seg[i] | (seg[i + 1] << 8)));
    }
  }
}

}  // namespace

void decodeJetText(std::span<const uint8_t> stored, std::u16string& out) {
  out.clear();
  if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
    out.reserve(stored.size() - 2);
    bool oneByte = true;
    size_t start = 2;
    for (size_t i = 2; i < stored.size(); ++i) {
      if (stored[i] == 0x00) {
        appendSegment(stored.subspan(start, i - start), oneByte, out);
        oneByte = !oneByte;
        start = i + 1;
      }
    }
    appendSegment(stored.subspan(start), oneByte, out);
    return;
  }
  appendSegment(stored, false, out);
}

std::u16string decodeJetText(std::span<const uint8_t> stored) {
  std::u16string out;
  decodeJetText(stored, out);
  return out;
}

}  // namespace jet
