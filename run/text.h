// Text helpers of the run: the window speaks UTF-16, error descriptions arrive as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace run {

// Invalid UTF-8 sequences become U+FFFD rather than failing: a description is never lost.
std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);

// A signed 32-bit number in decimal digits, "-" only for a negative one.
std::u16string decimal(int64_t number);

}  // namespace run
