#include "certfile/data_source.h"

namespace certfile {

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

std::u16string dataSourceValue(std::u16string_view path) {
  const bool needsQuotes = path.find_first_of(u";\"'") != std::u16string_view::npos ||
                           (!path.empty() && (isBlank(path.front()) || isBlank(path.back())));
  if (!needsQuotes) return std::u16string(path);
  std::u16string quoted = u"\"";
  for (char16_t c : path) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  quoted += u'"';
  return quoted;
}

}  // namespace certfile
