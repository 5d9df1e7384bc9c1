// How Jet's SQL compares two values: numbers of every width, truth values (True is -1),
// currency and dates compare as numbers; text compares by collation.h; a Null is never
// equal, less or greater than anything, itself included. Text against a number is a type
// mismatch (errc::kTypeMismatch), not false.
#pragma once

#include <cstdint>
#include <optional>

#include "jet/util/value.h"

namespace jet::sql {

enum class ValueClass { Null, Number, Text, Binary };

ValueClass classOf(const Value& v);
ValueClass classOf(ColumnType type);
// Memo, OLE and binary columns cannot be joined on.
bool joinable(ColumnType type);

// A number's value as a double (bool: -1 or 0; currency unscaled; dates as days).
double toNumber(const Value& v);

// <0, 0 or >0; nothing when either side is Null. Throws on values of incompatible classes.
std::optional<int> compareValues(const Value& a, const Value& b);

// Hash consistent with compareValues() == 0 for values of one class; Null hashes to 0.
uint64_t hashValue(const Value& v);
uint64_t hashNumber(double d);

}  // namespace jet::sql
