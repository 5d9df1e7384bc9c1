// The text copy of a field value: the value joined to the empty text. Null gives the empty
// text, text comes through unchanged, any other value gives its text form.
#pragma once

#include <string>

#include "data/value.h"

namespace run {

// Text forms of the values that are not text:
//   Yes/No            True, False
//   whole numbers     decimal digits, "-" when negative
//   Single, Double    up to 7 / 15 significant digits, shortest form (1.5, 1E+20)
//   Currency          up to 4 decimals, no trailing zeros (12.5)
//   Decimal           its digits with the decimal point at its scale
//   Date/Time         YYYY-MM-DD, and " HH:MM:SS" when it has a time of day
//   GUID              {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
//   binary            its bytes read as UTF-16 (low byte first), as a joined byte array is
std::u16string textCopy(const data::Value& value);
// The same for a value that is no longer needed: a text is moved out rather than copied.
std::u16string textCopy(data::Value&& value);
// The value made its own text copy where it lies: a text is left as it is.
void makeTextCopy(data::Value& value);

}  // namespace run
