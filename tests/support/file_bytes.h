// Whole files as bytes, for tests that compare a file before and after or parse a dump.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// Every byte of the file; throws std::runtime_error naming it when it cannot be opened, so
// a missing file never passes for an empty one.
std::string fileBytes(const std::filesystem::path& file);

}  // namespace testsupport
