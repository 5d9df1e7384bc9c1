#include "jet/sql/collation.h"

#include "jet/util/unicode.h"

namespace jet::sql {

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
