// Page 0 of a new Jet 4.0 database.
//
// Layout written (offsets in the page; 0x18..0x97 are then masked with the fixed RC4 key):
//   0x00  00 01 00 00            page kind 0, then Jet's constant 01 00 00
//   0x04  "Standard Jet DB" 00   engine name
//   0x14  01 00 00 00            format version 1 = Jet 4.0
//   0x18  00 01 00 00 01 01 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00
//                                constant block seen in every Jet-made file
//   0x3C  E4 04                  code page 1252
//   0x3E  00 00 00 00            encoding key: pages are not RC4-encoded
//   0x42  40 bytes               password, UCS-2LE, XORed with the creation-date mask
//                                (an empty password stores the mask itself)
//   0x6A  1C 26                  per-file word of unknown meaning, as in Jet's own new file
//   0x6E  09 04 00 00            sort order: General (LCID 1033), legacy version
//   0x72  double                 creation date (days since 1899-12-30)
//   0x98  54 06 00 00 "4.0"      not masked; constant
//   0xE00 01 01 then 00 01 ...   constant tail region
//
// Layout: docs/file-format.md#header-page
#pragma once

#include <string>
#include <string_view>

#include "jet/format/page_format.h"

namespace jet {

// The most characters a Jet 4.0 database password can hold.
inline constexpr size_t kMaxPasswordLength = 20;

// Builds the header page, masked and ready to write. Throws jet::Error when the password is
// longer than kMaxPasswordLength.
PageBytes buildHeaderPage(double creationDate, std::u16string_view password);

}  // namespace jet
