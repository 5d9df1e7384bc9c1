// Where the back end of a linked table lies. A link stores the path the linking file had
// when the link was made, often on another PC: "C:\Tarvo\tarvo_be.mdb" or
// "\\server\share\tarvo_be.mdb" from Windows, a relative path from a generator. Offices copy
// the front end and its back end together, so a back end that is not at the stored path is
// looked for under the same file name in the linking file's own folder, without regard to
// case as Windows would.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

struct LinkLocation {
  std::filesystem::path found;              // empty when no place held the file
  std::vector<std::filesystem::path> tried; // in the order looked at, for messages
};

// Looks for the back end `stored` (the link's Database text) of a file in `linkingFolder`.
LinkLocation locateBackEnd(std::u16string_view stored, const std::filesystem::path& linkingFolder);

// The file name of a stored path: what follows its last '\' or '/'.
std::u16string storedFileName(std::u16string_view stored);

// True for a drive path ("C:\..", "C:/..") or a UNC path ("\\server\share\.."), which on a
// system other than Windows names nothing.
bool isWindowsAbsolute(std::u16string_view stored);

// A file of this name in the folder, matched case-blind; an exact match is preferred.
std::optional<std::filesystem::path> findInFolder(const std::filesystem::path& folder, std::u16string_view name);

}  // namespace jet
