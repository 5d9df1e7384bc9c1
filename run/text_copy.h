// The text copy of a field value: the value joined to the empty text, as jet::textOf gives it
// (Null the empty text, text unchanged, any other value its text form).
#pragma once

#include <string>

#include "data/value.h"

namespace run {

std::u16string textCopy(const data::Value& value);
// The same for a value that is no longer needed: a text is moved out rather than copied.
std::u16string textCopy(data::Value&& value);
// The value made its own text copy where it lies: a text is left as it is.
void makeTextCopy(data::Value& value);

}  // namespace run
