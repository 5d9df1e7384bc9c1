// Small UTF-16 helpers shared by the data layer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "jet/util/unicode.h"

namespace data {

// UTF-8 for error descriptions: the engine's conversions, which replace what cannot be
// converted (lone surrogates, malformed UTF-8) with U+FFFD.
using jet::fromUtf8;
using jet::toUtf8;
// ASCII-only case folding: enough for keywords and connection-string keys.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
std::filesystem::path toPath(std::u16string_view text);

}  // namespace data
