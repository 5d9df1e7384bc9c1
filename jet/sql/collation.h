// Text comparison as Jet's General sort order sees it for equality: without regard to
// letter case (jet::foldCase, the engine's one fold), but with regard to accents, blanks and
// every other character. Ordering compares the case-folded UTF-16 code units, which agrees
// with General order for unaccented Latin text.
#pragma once

#include <cstdint>
#include <string_view>

namespace jet::sql {

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);
int compareText(std::u16string_view a, std::u16string_view b);  // <0, 0, >0
// Equal texts (in the sense above) hash alike.
uint64_t hashText(std::u16string_view s);

}  // namespace jet::sql
