// The value a column stores when a caller writes `value` into it: Null stays Null; numbers
// convert between widths when they fit; texts convert to numbers and dates when they read
// as one; anything but binary converts to text (jet::textOf). A value the column refuses
// raises errc::kTypeMismatch (no sensible conversion) or errc::kIntegrityViolation (too
// long, out of range).
#pragma once

#include <string>
#include <string_view>

#include "jet/util/value.h"

namespace data {

struct ColumnTarget {
  std::u16string_view name;  // for messages; must outlive the call
  jet::ColumnType type;
  int size = 0;  // characters for text (0: 255), ignored otherwise
};

// A value passed as a temporary gives up its text or bytes to the result instead of copying.
jet::Value convertForColumn(jet::Value value, const ColumnTarget& column);
// The same, where the value lies: one the column takes as it is is left untouched.
void convertInPlace(jet::Value& value, const ColumnTarget& column);

}  // namespace data
