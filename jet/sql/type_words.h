// Jet's SQL type words and what each makes of a new column. As in Jet, INTEGER is 32-bit
// (LONG) and SHORT is the 16-bit one; TEXT and STRING without a size hold 255 characters.
#pragma once

#include <optional>
#include <string_view>

#include "jet/sql/ast.h"

namespace jet::sql {

// The type of a word, or nothing for a word Jet does not know; the size of text is 255.
std::optional<TypeSpec> typeOfWord(std::u16string_view word);

}  // namespace jet::sql
