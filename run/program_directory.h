// The directory that holds the running program's own file: where the certificate file is
// written and where the file dialog opens. Taken from the operating system, never from
// argv[0], which may be relative or a bare name found on PATH.
#pragma once

#include <filesystem>

namespace run {

// Empty when the system cannot tell (the callers then fail as with any unusable directory).
std::filesystem::path programDirectory();

}  // namespace run
