// Page 0, the database header.
//
// Layout (Jet 4; offsets from the start of the page):
//   0x00  1   page type 0x00
//   0x04  15  "Standard Jet DB"
//   0x14  1   format version: 0 Jet 3, 1 Jet 4, 2+ the later ACE formats
//   0x18  128 region XOR-ed with the RC4 keystream of the fixed key C7 DA 39 6B (Jet 3: 126
//             bytes); the fields below lie inside it:
//   0x3C  2   default code page
//   0x3E  4   page encoding key; 0 = pages stored in clear
//   0x42  40  database password, UCS-2LE, also XOR-ed with the 4 bytes of the creation date's whole
//             days (truncated toward zero) repeated (Jet 3: 20 single-byte characters, no date mask)
//   0x6E  4   default sort order: LCID (2), unknown (1), sort version (1)   (Jet 3: 0x3A, 2 bytes)
//   0x72  8   creation date, a double in days since 1899-12-30
// A file without a password stores the date mask itself, which decodes to all zeros.
//
// Layout: docs/file-format.md#header-page
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "jet/format/page_format.h"

namespace jet {

inline constexpr size_t kHeaderMaskOffset = 0x18;
inline constexpr size_t kHeaderMaskLengthJet4 = 128;
inline constexpr size_t kHeaderMaskLengthJet3 = 126;
inline constexpr size_t kHeaderCodePageOffset = 0x3C;
inline constexpr size_t kHeaderEncodingKeyOffset = 0x3E;
inline constexpr size_t kHeaderPasswordOffset = 0x42;
inline constexpr size_t kHeaderPasswordLengthJet4 = 40;
inline constexpr size_t kHeaderPasswordLengthJet3 = 20;
inline constexpr size_t kHeaderSortOrderOffsetJet4 = 0x6E;
inline constexpr size_t kHeaderSortOrderOffsetJet3 = 0x3A;
inline constexpr size_t kHeaderCreationDateOffset = 0x72;
inline constexpr size_t kHeaderVersionOffset = 0x14;
inline constexpr uint8_t kVersionJet3 = 0x00;
inline constexpr uint8_t kVersionJet4 = 0x01;

struct HeaderPage {
  uint8_t version = kVersionJet4;
  uint16_t codePage = 1252;
  uint32_t encodingKey = 0;     // non-zero: pages 1.. are RC4-encoded
  uint16_t sortLcid = 0x0409;   // 0x0409 = General
  uint8_t sortUnknown = 0;
  uint8_t sortVersion = 0;      // 0 = General legacy, the Jet 4 default
  double creationDate = 0;      // days since 1899-12-30
  std::u16string password;      // empty: no password set
  uint16_t textCodePage = 0;    // Jet 3: the code page of its text (jet3_text.h); Jet 4: 0

  bool isJet3() const { return version == kVersionJet3; }
  uint32_t pageSize() const { return isJet3() ? kPageSizeJet3 : kPageSizeJet4; }
  bool hasPassword() const { return !password.empty(); }
};

// XORs the masked region of a header page with the fixed keystream (masks and unmasks).
void applyHeaderMask(std::span<uint8_t> page0, bool jet3);
// The 4 bytes the Jet 4 password is XOR-ed with, from the creation date; the one rule the
// reader and the builder both use.
std::array<uint8_t, 4> passwordMask(double creationDate);

// Decodes a header page as stored in the file. `fileName` names the file in errors: not a Jet
// database, or a format this engine does not read (Jet 3 is decoded; the caller decides).
// `textCodePage`, when not 0, is a Jet 3 file's code page in place of the one its header implies.
HeaderPage parseHeaderPage(std::span<const uint8_t> page0, const std::string& fileName,
                           uint16_t textCodePage = 0);

}  // namespace jet
