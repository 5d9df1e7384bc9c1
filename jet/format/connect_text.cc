#include "jet/format/connect_text.h"

#include "jet/util/unicode.h"

namespace jet {

std::optional<std::u16string> connectValue(std::u16string_view connect, std::u16string_view key) {
  size_t start = 0;
  while (start <= connect.size()) {
    size_t end = connect.find(u';', start);
    if (end == std::u16string_view::npos) end = connect.size();
    const std::u16string_view part = connect.substr(start, end - start);
    const size_t eq = part.find(u'=');
    if (eq != std::u16string_view::npos && equalsIgnoreCase(part.substr(0, eq), key)) {
      return std::u16string(part.substr(eq + 1));
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace jet
