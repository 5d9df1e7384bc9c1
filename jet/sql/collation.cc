#include "jet/sql/collation.h"

namespace jet::sql {

char16_t foldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 32);
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs upper/lower case on even/odd code points, with the parity
    // flipped in 0x139-0x148 and 0x179-0x17E; 0x130, 0x131, 0x138 and 0x149 stand alone.
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    bool flipped = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    bool upper = flipped ? (c & 1) : !(c & 1);
    return upper ? char16_t(c + 1) : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return char16_t(c + 32);
  if (c >= 0x410 && c <= 0x42F) return char16_t(c + 32);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 80);
  return c;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

int compareText(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = foldCase(a[i]), y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

uint64_t hashText(std::u16string_view s) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the folded code units
  for (char16_t c : s) {
    h = (h ^ foldCase(c)) * 1099511628211ull;
  }
  return h;
}

}  // namespace jet::sql
