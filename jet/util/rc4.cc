#include "jet/util/rc4.h"

#include <array>
#include <cassert>
#include <utility>

namespace jet {

void rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data) {
  assert(!key.empty());
  std::array<uint8_t, 256> s;
  for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + s[i] + key[i % key.size()]);
    std::swap(s[i], s[j]);
  }
  uint8_t a = 0;
  uint8_t b = 0;
  for (uint8_t& byte : data) {
    a = static_cast<uint8_t>(a + 1);
    b = static_cast<uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    byte ^= s[static_cast<uint8_t>(s[a] + s[b])];
  }
}

}  // namespace jet
