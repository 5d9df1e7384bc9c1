// Names and texts from a statement as they appear in error descriptions (UTF-8).
#pragma once

#include <string>
#include <string_view>

#include "jet/util/unicode.h"

namespace jet::sql {

inline std::string messageText(std::u16string_view s) { return toUtf8(s); }

}  // namespace jet::sql
