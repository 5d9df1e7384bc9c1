// Which code page a Jet 3 file's text is in. Jet 3 stores text as bytes; its header names a
// code page (0x3C) and the database sort order (0x3A, an LCID). A sort order of one language
// implies that language's Windows code page, as Windows' locale tables give it; the General
// sort order serves every Western language alike and leaves it to the code page field.
//
// Layout: docs/file-format-jet3.md#text
#pragma once

#include <cstdint>

namespace jet {

inline constexpr uint16_t kGeneralSortLcidJet3 = 0x0409;

// The Windows code page of the text of a Jet 3 file with this header code page and sort order.
uint16_t jet3TextCodePage(uint16_t headerCodePage, uint16_t sortLcid);

}  // namespace jet
