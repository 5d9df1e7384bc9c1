// The text form of a value, the value joined to the empty text: the one conversion of a value
// to text, which the data layer uses for a text column and the run for its text copies
// (jetdump prints its dates from the same momentOfJetDate, to the millisecond).
#pragma once

#include <string>

#include "jet/util/value.h"

namespace jet {

// Null gives the empty text and text comes through unchanged. The other values:
//   Yes/No            True, False
//   whole numbers     decimal digits, "-" when negative
//   Single, Double    up to 7 / 15 significant digits, shortest form (1.5, 1E+20)
//   Currency          up to 4 decimals, no trailing zeros (12.5)
//   Decimal           its digits with the decimal point at its scale
//   Date/Time         YYYY-MM-DD, and " HH:MM:SS" when it has a time of day, to the nearest
//                     second (momentOfJetDate); a value beyond any date as a Double
//   GUID              {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
//   binary            its bytes read as UTF-16 (low byte first), as a joined byte array is
std::u16string textOf(const Value& value);

}  // namespace jet
