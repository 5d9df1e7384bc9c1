#include "jet/port/file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "jet/util/error.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

// The system's reason in the words the user reads beside the file's name.
std::string reasonText(int err) {
  switch (err) {
    case ENOENT: return "the file does not exist";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "it is a directory";
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EROFS: return "the disk is read-only";
    case ETXTBSY:
    case EBUSY: return "it is in use by another program";
    case EEXIST: return "the file already exists";
    default: return std::strerror(err);
  }
}

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what, int err) {
  throwFileError(path, what, static_cast<unsigned long>(err));
}

}  // namespace

void throwFileError(const std::filesystem::path& path, const std::string& what, unsigned long systemError) {
  const std::string reason = reasonText(static_cast<int>(systemError));
  throw FileError(errc::kUnspecified, what + " '" + pathText(path) + "': " + reason + ".", reason);
}

File File::open(const std::filesystem::path& path, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kReadOnly: flags |= O_RDONLY; break;
    case Mode::kReadWrite: flags |= O_RDWR; break;
    case Mode::kCreate: flags |= O_RDWR | O_CREAT | O_EXCL; break;
  }
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) fail(path, mode == Mode::kCreate ? "Cannot create" : "Cannot open", errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    fail(path, "Cannot open", err);
  }
  File f;
  f.fd_ = fd;
  f.writable_ = mode != Mode::kReadOnly;
  f.path_ = path;
  return f;
}

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    writable_ = other.writable_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

File::~File() { close(); }

void File::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint64_t File::size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) fail(path_, "Cannot read", errno);
  return static_cast<uint64_t>(st.st_size);
}

size_t File::readSomeAt(uint64_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(path_, "Cannot read", errno);
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void File::writeAt(uint64_t offset, std::span<const uint8_t> data) {
  requireWritable();
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(path_, "Cannot write", errno);
    }
    done += static_cast<size_t>(n);
  }
}

void File::writeAt(uint64_t offset, std::span<const std::span<const uint8_t>> pieces) {
  requireWritable();
#if defined(IOV_MAX)
  constexpr size_t kMaxPieces = std::min<size_t>(IOV_MAX, 1024);
  std::vector<iovec> iov;
  iov.reserve(std::min(pieces.size(), kMaxPieces));
  size_t next = 0;  // first piece not yet wholly written
  size_t done = 0;  // bytes of pieces[next] already written
  while (next < pieces.size()) {
    if (done == pieces[next].size()) {
      ++next;
      done = 0;
      continue;
    }
    iov.clear();
    for (size_t i = next; i < pieces.size() && iov.size() < kMaxPieces; ++i) {
      const size_t skip = i == next ? done : 0;
      // iovec takes a non-const pointer even for writing; the bytes are only read.
      iov.push_back({const_cast<uint8_t*>(pieces[i].data()) + skip, pieces[i].size() - skip});
    }
    const ssize_t n = ::pwritev(fd_, iov.data(), static_cast<int>(iov.size()), static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(path_, "Cannot write", errno);
    }
    if (n == 0) fail(path_, "Cannot write", EIO);
    offset += static_cast<uint64_t>(n);
    for (auto left = static_cast<size_t>(n); left > 0;) {
      const size_t step = std::min(left, pieces[next].size() - done);
      left -= step;
      done += step;
      if (done == pieces[next].size()) {
        ++next;
        done = 0;
      }
    }
  }
#else
  for (const auto piece : pieces) {
    writeAt(offset, piece);
    offset += piece.size();
  }
#endif
}

void File::truncate(uint64_t size) {
  requireWritable();
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail(path_, "Cannot write", errno);
}

void File::sync() {
  if (::fsync(fd_) != 0) fail(path_, "Cannot write", errno);
}

bool File::tryLock(Lock lock) {
#if defined(F_OFD_SETLK)
  // An open-file-description lock: it belongs to this File, as on Windows, and unlike a
  // process-wide fcntl lock it is not lost when some other descriptor of the file is closed.
  struct flock range {};
  range.l_type = lock == Lock::kExclusive ? F_WRLCK : lock == Lock::kShared ? F_RDLCK : F_UNLCK;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(kFileLockOffset);
  range.l_len = 1;
  for (;;) {
    if (::fcntl(fd_, F_OFD_SETLK, &range) == 0) return true;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    if (errno == EINVAL) break;  // a kernel without such locks: whole-file locks below
    // A file system without locks (some network mounts): carry on unlocked.
    if (errno == ENOLCK || errno == EOPNOTSUPP) return true;
    fail(path_, "Cannot lock", errno);
  }
#endif
  int op = LOCK_UN;
  if (lock == Lock::kShared) op = LOCK_SH | LOCK_NB;
  if (lock == Lock::kExclusive) op = LOCK_EX | LOCK_NB;
  while (::flock(fd_, op) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return false;
    if (errno == ENOLCK || errno == EOPNOTSUPP) return true;
    fail(path_, "Cannot lock", errno);
  }
  return true;
}

bool renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to) {
  auto failed = [&](int err) {
    fail(to, "Cannot rename '" + pathText(from) + "' to", err);
  };
#if defined(RENAME_NOREPLACE)
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) failed(errno);
#endif
  // A second name, then the first one dropped: link() never replaces what is there.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) failed(errno);
  // A file system without hard links (FAT): a rival appearing between the test and the
  // rename is not caught here.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return false;
  if (::rename(from.c_str(), to.c_str()) != 0) failed(errno);
  return true;
}

}  // namespace jet
