// Text helpers of the run.
#pragma once

#include <cstdint>
#include <string>

namespace run {

// A number in decimal digits, "-" only for a negative one, no blanks or separators.
std::u16string decimal(int64_t number);

}  // namespace run
