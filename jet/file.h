// The one platform file layer of the engine: a file opened read-only or read-write, read and
// written at byte offsets, with an advisory lock. Everything else in jet/ is portable and goes
// through this class; errors come back as jet::Error (errc::kUnspecified).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace jet {

class File {
 public:
  enum class Mode {
    kReadOnly,   // the file must exist; never written
    kReadWrite,  // the file must exist
    kCreate,     // a new file; fails when one already exists
  };
  enum class Lock { kNone, kShared, kExclusive };

  // Opens `path`; throws jet::Error naming the path when it is missing, unreadable, or
  // (kCreate) already there.
  static File open(const std::filesystem::path& path, Mode mode);

  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  bool isOpen() const { return fd_ >= 0; }
  bool writable() const { return writable_; }
  const std::filesystem::path& path() const { return path_; }

  uint64_t size() const;
  // Reads exactly out.size() bytes at `offset`; throws when the file is shorter.
  void readAt(uint64_t offset, std::span<uint8_t> out) const;
  // Reads up to out.size() bytes; returns how many were available.
  size_t readSomeAt(uint64_t offset, std::span<uint8_t> out) const;
  void writeAt(uint64_t offset, std::span<const uint8_t> data);
  // Writes the pieces back to back from `offset`, with as few calls as the platform allows
  // (one gathered write for up to a thousand pieces). On failure a prefix of the bytes may
  // have reached the file.
  void writeAt(uint64_t offset, std::span<const std::span<const uint8_t>> pieces);
  void truncate(uint64_t size);
  // Pushes written bytes to the device.
  void sync();

  // Tries to take an advisory lock without waiting; false when another holder conflicts.
  // Locks belong to this File object: two File objects on one path conflict even in one process.
  bool tryLock(Lock lock);

  void close() noexcept;

 private:
  int fd_ = -1;
  bool writable_ = false;
  std::filesystem::path path_;
};

}  // namespace jet
