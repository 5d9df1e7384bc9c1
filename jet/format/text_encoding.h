// Jet 4.0 text storage: UCS-2LE, or "compressed Unicode" where the column allows it.
//
// Compressed form: FF FE, then one byte per character while in compressed mode; a 00 byte
// toggles to two bytes per character and back. We only write the simple form (every
// character in U+0001..U+00FF, one byte each), and only when it is shorter, as Jet does.
//
// Layout: docs/file-format.md#text-storage
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace jet {

inline constexpr size_t kMaxCompressedChars = 1024;

std::vector<uint8_t> encodeText(std::u16string_view text, bool columnAllowsCompression);
// The same bytes appended to `out`, for callers that build a row in one buffer.
void appendEncodedText(std::u16string_view text, bool columnAllowsCompression, std::vector<uint8_t>& out);

}  // namespace jet
