// Small UTF-16 helpers shared by the data layer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace data {

// UTF-8 for error descriptions.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);
// ASCII-only case folding: enough for keywords and connection-string keys.
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
std::filesystem::path toPath(std::u16string_view text);

}  // namespace data
