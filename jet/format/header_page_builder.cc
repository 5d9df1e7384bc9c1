#include "jet/format/header_page_builder.h"

#include <cstring>

#include "jet/format/header_page.h"
#include "jet/util/error.h"
#include "jet/util/byte_builder.h"

namespace jet {

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
  std::memcpy(page.data() + kHeaderMaskOffset, kConstantBlock, sizeof kConstantBlock);
  le::put16(p, 0x3C, 1252);
  le::put32(p, 0x3E, 0);
  const auto mask = passwordMask(creationDate);
  for (size_t i = 0; i < kHeaderPasswordLengthJet4; ++i) {
    const size_t ch = i / 2;
    uint8_t clear = 0;
    if (ch < password.size()) {
      const auto c = static_cast<uint16_t>(password[ch]);
      clear = static_cast<uint8_t>(i % 2 == 0 ? c : c >> 8);
    }
    page[kHeaderPasswordOffset + i] = clear ^ mask[i % 4];
  }
  le::put16(p, 0x6A, 0x261C);
  le::put32(p, 0x6E, 0x00000409);
  le::putDouble(p, kHeaderCreationDateOffset, creationDate);
  applyHeaderMask(page, /*jet3=*/false);
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

}  // namespace jet
