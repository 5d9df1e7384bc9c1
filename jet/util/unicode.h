// UTF-16 <-> UTF-8 at the edges of the engine, and the case folding Jet applies when it looks
// up object names (tables, columns, indexes).
#pragma once

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

namespace jet {

// Unpaired surrogates become U+FFFD; never throws.
std::string toUtf8(std::u16string_view text);
// Malformed sequences become U+FFFD; never throws.
std::u16string fromUtf8(std::string_view text);

// A path as UTF-8 for messages, whole on every platform: on Windows path::string() goes
// through the ANSI code page and loses every letter that page lacks.
std::string pathText(const std::filesystem::path& path);
// The same in single quotes, as messages name files.
inline std::string quotedPath(const std::filesystem::path& path) { return "'" + pathText(path) + "'"; }
// The path that UTF-8 text names (command-line arguments, JSON): on Windows
// std::filesystem::path(std::string) would read the text in the ANSI code page.
std::filesystem::path pathFromUtf8(std::string_view text);

// a == b, by one memcmp: char16_t's character traits compare one character at a time.
inline bool sameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// Simple one-to-one lower-casing of the Latin, Greek and Cyrillic letters in the BMP.
char16_t foldCase(char16_t c);
bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
std::u16string foldCase(std::u16string_view text);

}  // namespace jet
