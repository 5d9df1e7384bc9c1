#include "jet/format/header_page_builder.h"

#include <cmath>
#include <cstring>

#include "jet/util/error.h"
#include "jet/util/byte_builder.h"
#include "jet/util/rc4.h"

namespace jet {
namespace {

constexpr size_t kMaskStart = 0x18;
constexpr size_t kMaskLength = 128;
constexpr size_t kPasswordOffset = 0x42;
constexpr size_t kPasswordBytes = 40;
constexpr size_t kDateOffset = 0x72;

// The 4 bytes the password field is XORed with: the integer part of the creation date.
std::array<uint8_t, 4> passwordMask(double creationDate) {
  const auto days = static_cast<int32_t>(std::floor(creationDate));
  const auto u = static_cast<uint32_t>(days);
  return {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
          static_cast<uint8_t>(u >> 24)};
}

double readDate(std::span<const uint8_t> page) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(page[kDateOffset + i]) << (8 * i);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace

void applyHeaderMask(PageBytes& page) {
  static const std::array<uint8_t, kMaskLength> stream = [] {
    std::array<uint8_t, kMaskLength> s{};
    const uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4Apply(key, s);
    return s;
  }();
  for (size_t i = 0; i < kMaskLength; ++i) page[kMaskStart + i] ^= stream[i];
}

PageBytes buildHeaderPage(double creationDate, std::u16string_view password) {
  if (password.size() > kMaxPasswordLength) {
    throw Error(errc::kUnspecified, "A database password can have at most 20 characters.");
  }
  PageBytes page{};
  std::span<uint8_t> p(page);
  le::put8(p, 0x01, 0x01);
  std::memcpy(page.data() + 0x04, "Standard Jet DB", 15);
  le::put8(p, 0x14, 0x01);
  static constexpr uint8_t kConstantBlock[] = {0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,
                                               0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,
                                               0x04, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
  std::memcpy(page.data() + kMaskStart, kConstantBlock, sizeof kConstantBlock);
  le::put16(p, 0x3C, 1252);
  le::put32(p, 0x3E, 0);
  const auto mask = passwordMask(creationDate);
  for (size_t i = 0; i < kPasswordBytes; ++i) {
    const size_t ch = i / 2;
    uint8_t clear = 0;
    if (ch < password.size()) {
      const auto c = static_cast<uint16_t>(password[ch]);
      clear = static_cast<uint8_t>(i % 2 == 0 ? c : c >> 8);
    }
    page[kPasswordOffset + i] = clear ^ mask[i % 4];
  }
  le::put16(p, 0x6A, 0x261C);
  le::put32(p, 0x6E, 0x00000409);
  le::putDouble(p, kDateOffset, creationDate);
  applyHeaderMask(page);
  // Outside the masked region.
  le::put32(p, 0x98, 0x0654);
  std::memcpy(page.data() + 0x9C, "4.0", 3);
  page[0xE00] = 0x01;
  page[0xE01] = 0x01;
  for (size_t off = 0xE02; off + 1 < kPageSize; off += 2) {
    page[off] = 0x00;
    page[off + 1] = 0x01;
  }
  return page;
}

std::u16string headerPassword(const PageBytes& maskedPage) {
  PageBytes page = maskedPage;
  applyHeaderMask(page);
  const auto mask = passwordMask(readDate(page));
  std::u16string out;
  for (size_t i = 0; i + 1 < kPasswordBytes; i += 2) {
    const uint8_t lo = page[kPasswordOffset + i] ^ mask[i % 4];
    const uint8_t hi = page[kPasswordOffset + i + 1] ^ mask[(i + 1) % 4];
    const auto c = static_cast<char16_t>(lo | (hi << 8));
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

}  // namespace jet
