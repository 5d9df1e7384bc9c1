// The certificate file's name and path, made from the agency's licence number. The licence
// comes from the source database, so it is checked before it becomes part of a path: it
// must name a plain file inside the program directory and nothing else.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace run {

// Error number of a licence number that cannot name a file ("Bad file name or number").
inline constexpr int kBadFileName = 52;

// The file's name: the licence number and ".mdb".
std::u16string certificateFileName(std::u16string_view licence);

// Why the licence number cannot be part of a plain file name, or nothing when it can:
// a path separator, a character Windows refuses in names (: * ? " < > |), a control
// character, "." or "..", or a name Windows keeps for a device (CON, NUL, COM1, ...).
// The empty licence (a Null License) is allowed: it names the file ".mdb".
std::optional<std::string> licenceNameProblem(std::u16string_view licence);

// The program directory joined with the file's name by the platform's own separator.
// Throws RunError(kBadFileName) with a message naming the licence and the reason.
std::filesystem::path certificatePath(const std::filesystem::path& programDirectory,
                                      std::u16string_view licence);

}  // namespace run
