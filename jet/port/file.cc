// What the file layer does the same on every platform, over the platform's own calls in
// file_posix.cc or file_win32.cc.
#include "jet/port/file.h"

#include <string>

#include "jet/util/error.h"
#include "jet/util/unicode.h"

namespace jet {

void File::readAt(uint64_t offset, std::span<uint8_t> out) const {
  if (readSomeAt(offset, out) != out.size()) {
    throw FileError(errc::kUnspecified, "Cannot read '" + pathText(path_) + "': the file ends early (at byte " +
                                            std::to_string(offset) + ").");
  }
}

void File::requireWritable() const {
  if (!writable_) throw FileError(errc::kUnspecified, "'" + pathText(path_) + "' is open read-only.");
}

}  // namespace jet
