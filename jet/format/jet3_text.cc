#include "jet/format/jet3_text.h"

namespace jet {
namespace {

// The ANSI code page of a locale, by its primary language and sublanguage (Windows'
// LOCALE_IDEFAULTANSICODEPAGE); 0 for a language this table does not list.
uint16_t ansiCodePageOf(uint16_t lcid) {
  const uint16_t language = lcid & 0x3FF;
  const uint16_t sublanguage = lcid >> 10;
  switch (language) {
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x1C: case 0x24:
      return 1250;  // Czech, Hungarian, Polish, Romanian, Slovak, Albanian, Slovenian
    case 0x1A: return sublanguage == 0x03 ? 1251 : 1250;  // Serbian Cyrillic; Croatian
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F:
      return 1251;  // Bulgarian, Russian, Ukrainian, Belarusian, Macedonian
    case 0x08: return 1253;  // Greek
    case 0x1F: return 1254;  // Turkish
    case 0x0D: return 1255;  // Hebrew
    case 0x01: return 1256;  // Arabic
    case 0x25: case 0x26: case 0x27: return 1257;  // Estonian, Latvian, Lithuanian
    case 0x2A: return 1258;  // Vietnamese
    case 0x1E: return 874;   // Thai
    case 0x11: return 932;   // Japanese
    case 0x12: return 949;   // Korean
    case 0x04: return sublanguage == 0x02 || sublanguage == 0x04 ? 936 : 950;  // PRC, Singapore
    default: return 0;
  }
}

}  // namespace

uint16_t jet3TextCodePage(uint16_t headerCodePage, uint16_t sortLcid) {
  if (sortLcid != kGeneralSortLcidJet3) {
    if (uint16_t cp = ansiCodePageOf(sortLcid); cp != 0) return cp;
  }
  return headerCodePage != 0 ? headerCodePage : 1252;
}

}  // namespace jet
