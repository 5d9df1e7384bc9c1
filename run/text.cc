#include "run/text.h"

namespace run {

std::u16string decimal(int64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace run
