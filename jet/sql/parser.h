// Parses one statement of Jet's SQL dialect. Keywords are read without regard to case;
// [brackets] quote names. Anything the engine does not run - another statement kind, a
// clause it does not know, text after the statement - raises errc::kSyntaxError with a
// description of what was found where; nothing is silently ignored.
#pragma once

#include <string_view>

#include "jet/sql/ast.h"

namespace jet::sql {

Statement parse(std::u16string_view statement);

}  // namespace jet::sql
