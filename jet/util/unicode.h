// UTF-16 <-> UTF-8 at the edges of the engine, and the case folding Jet applies when it looks
// up object names (tables, columns, indexes) and compares text.
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

// The engine's one case fold, for object names and for text the SQL layer compares: the
// one-to-one lower-casing of the Latin-1, Latin Extended-A, basic Greek and basic Cyrillic
// capitals, merging only letters that Jet's General sort order codes alike (its legacy index
// codes, as Jackcess tabulates them in index_codes_genleg.txt and index_codes_ext_genleg.txt).
// A letter is left alone where that order tells it from every other (U+0130 İ). Inline: the
// comparisons and hashes of the SQL layer call it once a character.
inline char16_t foldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  // Latin-1: À-Þ except ×.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  // İ (U+0130) is no capital of ı or i under General order: each sorts with its own accent mark.
  if (c == 0x130) return c;
  // Latin Extended-A: pairs, upper case even (with two odd-based runs).
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
    return (c & 1) ? static_cast<char16_t>(c + 1) : c;
  }
  if (c == 0x178) return 0xFF;
  // Greek capitals, Ϊ and Ϋ with dialytika among them.
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
  // Cyrillic.
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b);
std::u16string foldCase(std::u16string_view text);

}  // namespace jet
