// Parses arbitrary text as one SQL statement. It must give a statement or raise jet::Error
// with the syntax-error number and a description; nothing else.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "jet/util/error.h"
#include "jet/sql/parser.h"
#include "jet/util/unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = jet::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    jet::sql::parse(text);
  } catch (const jet::Error& e) {
    if (e.number() != jet::errc::kSyntaxError) std::abort();
    if (std::string_view(e.description()).empty()) std::abort();
  }
  return 0;
}
