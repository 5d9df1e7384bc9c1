#include "jet/format/text_decoding.h"

namespace jet {
namespace {

// Writes by index into space made once: character-by-character push_back costs a capacity
// check and a terminator store per character, and texts are most of what a scan decodes.
void appendSegment(std::span<const uint8_t> seg, bool oneByte, std::u16string& out) {
  size_t at = out.size();
  if (oneByte) {
    out.resize(at + seg.size());
    widenOneByteText(seg.data(), seg.size(), out.data() + at);
  } else {
    // An odd trailing byte cannot form a character; drop it.
    const size_t n = seg.size() / 2;
    out.resize(at + n);
    readTwoByteText(seg.data(), n, out.data() + at);
  }
}

}  // namespace

void decodeJetText(std::span<const uint8_t> stored, std::u16string& out) {
  out.clear();
  if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
    out.reserve(stored.size() - 2);
    bool oneByte = true;
    size_t start = 2;
    // memchr finds the switches many bytes a step; most values have none.
    while (const void* zero = std::memchr(stored.data() + start, 0x00, stored.size() - start)) {
      const size_t i = static_cast<size_t>(static_cast<const uint8_t*>(zero) - stored.data());
      appendSegment(stored.subspan(start, i - start), oneByte, out);
      oneByte = !oneByte;
      start = i + 1;
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
