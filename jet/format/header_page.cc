#include "jet/format/header_page.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "jet/format/jet3_text.h"
#include "jet/util/byte_view.h"
#include "jet/util/code_page.h"
#include "jet/util/error.h"
#include "jet/util/rc4.h"

namespace jet {
namespace {

constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr char kJetSignature[] = "Standard Jet DB";
constexpr char kAceSignature[] = "Standard ACE DB";
constexpr size_t kSignatureOffset = 4;
constexpr size_t kSignatureLength = 15;

bool hasSignature(std::span<const uint8_t> page, const char* sig) {
  return std::memcmp(page.data() + kSignatureOffset, sig, kSignatureLength) == 0;
}

}  // namespace

void applyHeaderMask(std::span<uint8_t> page0, bool jet3) {
  size_t length = jet3 ? kHeaderMaskLengthJet3 : kHeaderMaskLengthJet4;
  rc4Apply(kHeaderKey, page0.subspan(kHeaderMaskOffset, length));
}

std::array<uint8_t, 4> passwordMask(double creationDate) {
  // The whole days truncated toward zero, as a signed 32-bit number: -0.5 gives 0, not -1.
  // Jackcess (DatabaseImpl.getPasswordMask) casts the date to int, which truncates; mdb-reader
  // (Database.ts) floors instead, and mdbtools does not apply this mask. The two agree from
  // 1899-12-30 on, and Jet stamps a file with the time it makes it. Dates far outside the
  // 32-bit range cannot occur in a real header, so clamp rather than overflow.
  double whole = std::trunc(creationDate);
  int32_t days = 0;
  if (std::isfinite(whole)) {
    if (whole > 2147483647.0) whole = 2147483647.0;
    if (whole < -2147483648.0) whole = -2147483648.0;
    days = static_cast<int32_t>(whole);
  }
  uint32_t u = static_cast<uint32_t>(days);
  return {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
          static_cast<uint8_t>(u >> 24)};
}

HeaderPage parseHeaderPage(std::span<const uint8_t> stored, const std::string& fileName,
                           uint16_t textCodePage) {
  const std::string quoted = "'" + fileName + "'";
  if (stored.size() < 0x200 || stored[0] != 0x00) {
    throw Error(errc::kUnspecified, quoted + " is not a Jet database (unrecognized database format).");
  }
  if (hasSignature(stored, kAceSignature)) {
    throw Error(errc::kUnspecified, quoted +
                                        " is in an unsupported format (Access 2007 or later); only Jet 3 and "
                                        "Jet 4.0 databases can be opened.");
  }
  if (!hasSignature(stored, kJetSignature)) {
    throw Error(errc::kUnspecified, quoted + " is not a Jet database (unrecognized database format).");
  }

  HeaderPage h;
  h.version = stored[kHeaderVersionOffset];
  if (h.version != kVersionJet3 && h.version != kVersionJet4) {
    throw Error(errc::kUnspecified, quoted + " is in an unsupported format (version " +
                                        std::to_string(h.version) +
                                        "); only Jet 3 and Jet 4.0 databases can be opened.");
  }
  std::vector<uint8_t> page(stored.begin(), stored.end());
  applyHeaderMask(page, h.isJet3());
  ByteView v(page, 0);

  h.codePage = v.u16(kHeaderCodePageOffset);
  h.encodingKey = v.u32(kHeaderEncodingKeyOffset);
  if (h.isJet3()) {
    h.sortLcid = v.u16(kHeaderSortOrderOffsetJet3);
    h.sortUnknown = 0;
    h.sortVersion = 0;
    h.textCodePage = textCodePage != 0 ? textCodePage : jet3TextCodePage(h.codePage, h.sortLcid);
    ByteView stored = v.sub(kHeaderPasswordOffset, kHeaderPasswordLengthJet3);
    size_t length = 0;
    while (length < stored.size() && stored.u8(length) != 0) ++length;
    // Text in the file's code page; without a table for it the open fails anyway.
    if (const CodePage* cp = CodePage::find(h.textCodePage)) {
      cp->decode(stored.bytes().subspan(0, length), h.password);
    } else {
      for (size_t i = 0; i < length; ++i) h.password.push_back(stored.u8(i));
    }
    return h;
  }

  uint32_t sort = v.u32(kHeaderSortOrderOffsetJet4);
  h.sortLcid = static_cast<uint16_t>(sort);
  h.sortUnknown = static_cast<uint8_t>(sort >> 16);
  h.sortVersion = static_cast<uint8_t>(sort >> 24);
  h.creationDate = v.f64(kHeaderCreationDateOffset);
  auto mask = passwordMask(h.creationDate);
  for (size_t i = 0; i + 1 < kHeaderPasswordLengthJet4; i += 2) {
    uint8_t lo = v.u8(kHeaderPasswordOffset + i) ^ mask[i % 4];
    uint8_t hi = v.u8(kHeaderPasswordOffset + i + 1) ^ mask[(i + 1) % 4];
    char16_t c = static_cast<char16_t>(lo | (hi << 8));
    if (c == 0) break;
    h.password.push_back(c);
  }
  return h;
}

}  // namespace jet
