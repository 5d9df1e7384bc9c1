// Publishing a new file on POSIX. The hold is a write lock on one byte beside the writers' lock
// byte: an open-file-description lock, so it belongs to the creating File and survives the
// close of other descriptors of the file (a Database opened over it and closed again).
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "jet/port/new_file.h"

namespace jet {
namespace {

constexpr off_t kHoldOffset = static_cast<off_t>(kFileLockOffset + 1);

// One lock request on the hold byte: 0 when done, else the errno.
int lockHold(int fd, short type) {
  struct flock range {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = kHoldOffset;
  range.l_len = 1;
  for (;;) {
#if defined(F_OFD_SETLK)
    if (::fcntl(fd, F_OFD_SETLK, &range) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EINVAL) return errno;
#endif
    // Without such locks, a lock of the process: it keeps other processes out just the same,
    // but the close of any descriptor of the file drops it.
    if (::fcntl(fd, F_SETLK, &range) == 0) return 0;
    if (errno == EINTR) continue;
    return errno;
  }
}

}  // namespace

void NewFile::hold() {
  const int err = lockHold(file_.fd_, F_WRLCK);
  // A file system without locks (some network mounts): unheld, so no sweep can remove it either.
  if (err != 0 && err != ENOLCK && err != EOPNOTSUPP) throwFileError(scratch_, "Cannot lock", static_cast<unsigned long>(err));
}

// Other descriptors of the file take no notice of the creating one.
void NewFile::shareWithOthers() {}

void NewFile::syncEverything() {
  // fsync covers the file, not the descriptor: what a Database wrote through its own descriptor
  // is synced too, and a write-back error since this descriptor was opened is reported here.
  file_.sync();
}

void NewFile::syncFolder() const {
  const std::filesystem::path folder = target_.parent_path().empty() ? "." : target_.parent_path();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throwFileError(folder, "Cannot write the folder", static_cast<unsigned long>(errno));
  const int done = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // EINVAL: a file system that cannot sync a folder; its renames are as safe as it makes them.
  if (done != 0 && err != EINVAL) throwFileError(folder, "Cannot write the folder", static_cast<unsigned long>(err));
}

bool NewFile::removeIfUnheld(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  bool removed = false;
  struct stat opened {}, named {};
  // Read lock: taken unless a maker holds its write lock. The name is checked to be still this
  // file before it goes.
  if (lockHold(fd, F_RDLCK) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
      opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
    removed = ::unlink(path.c_str()) == 0;
  }
  ::close(fd);
  return removed;
}

unsigned long NewFile::processId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace jet
