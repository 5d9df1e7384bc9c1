// Parses arbitrary text as a connection string. It must parse or raise data::Error with the
// connection-string or provider number; a parsed string must survive requireJetFile().
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/connection_string.h"
#include "data/error.h"
#include "jet/util/unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text = jet::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  data::ConnectionString parsed;
  try {
    parsed = data::ConnectionString::parse(text);
  } catch (const data::Error& e) {
    if (e.number() != data::errc::kBadConnectionString) std::abort();
    if (std::string_view(e.description()).empty()) std::abort();
    return 0;
  }
  try {
    parsed.requireJetFile();
  } catch (const data::Error& e) {
    if (e.number() != data::errc::kProviderNotFound && e.number() != data::errc::kUnspecified) std::abort();
  }
  return 0;
}
