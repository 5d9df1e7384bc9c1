// The Connect text of a link: an optional source type, then "KEY=value" parts parted by ';'
// ("MS Access;PWD=secret", ";DATABASE=C:\be.mdb", "ODBC;DSN=Staff;UID=sa").
//
// Layout: docs/file-format.md#linked-tables
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace jet {

// The value of a KEY= part (the key matched case-blind); nothing when there is none.
std::optional<std::u16string> connectValue(std::u16string_view connect, std::u16string_view key);

}  // namespace jet
