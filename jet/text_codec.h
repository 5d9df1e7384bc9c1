// Jet 4 stored text. Plain values are UCS-2LE. A value that begins with FF FE uses "compressed
// Unicode": it starts in one-byte mode (each byte a character U+0000..U+00FF) and every 00 byte
// switches between one-byte and two-byte (UCS-2LE) mode.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace jet {

// Appends the characters of a stored text value to `out` (which is cleared first).
void decodeJetText(std::span<const uint8_t> stored, std::u16string& out);
std::u16string decodeJetText(std::span<const uint8_t> stored);

}  // namespace jet
