// The engine's file layer: a file opened read-only or read-write, read and written at byte
// offsets, with a lock that other openers of the file see; a new file is published through
// NewFile (new_file.h). The engine opens, syncs and renames files only here; errors come back as
// jet::FileError (errc::kUnspecified). Two implementations, chosen at build time: the *_posix.cc
// and *_win32.cc files of this folder. Outside it the engine still tells the platforms apart in
// a few conventions: path text (util/unicode.cc), stored link paths and their case
// (read/link_location.cc, read/linked_tables.cc), and the local time of a new file
// (write/database_create.cc).
//
// Sharing: a read-only open lets other programs read and write the file meanwhile (Access may
// have it open); on Windows a read-write or created file denies other writers, and a file
// another program holds exclusively fails to open with an "in use" message. A writer also
// takes the exclusive lock (jet::Database does on every writable open), which is what keeps a
// second writer out on POSIX; readers take no lock.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "jet/util/unicode.h"

namespace jet {

// The lock is one byte this far into the file, beyond any data a Jet file can hold (Jet 4.0
// stops at 2 GB). Both platforms lock the same byte, so on a shared folder a Linux and a
// Windows machine exclude each other where the file server passes byte-range locks on.
inline constexpr uint64_t kFileLockOffset = uint64_t{1} << 62;

class File {
 public:
  enum class Mode {
    kReadOnly,   // the file must exist; never written
    kReadWrite,  // the file must exist
    kCreate,     // a new file; fails when one already exists
  };
  enum class Lock { kNone, kShared, kExclusive };

  // Opens `path`; throws jet::FileError naming the path when it is missing, unreadable, or
  // (kCreate) already there.
  static File open(const std::filesystem::path& path, Mode mode);

  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

#ifdef _WIN32
  bool isOpen() const { return handle_ != nullptr; }
#else
  bool isOpen() const { return fd_ >= 0; }
#endif
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

  // Tries to take the lock without waiting; false when another holder conflicts. kNone
  // releases it. Locks belong to this File object: two File objects on one path conflict even
  // in one process. The lock never keeps anyone from reading or writing the file's bytes.
  bool tryLock(Lock lock);

  void close() noexcept;

 private:
  friend class NewFile;  // holds and reopens the handle of a file it makes
  // errc::kUnspecified naming the file when it was opened read-only.
  void requireWritable() const;
#ifdef _WIN32
  void* handle_ = nullptr;   // a HANDLE; nullptr when closed
  Lock held_ = Lock::kNone;  // Win32 byte-range locks cannot be converted in place
#else
  int fd_ = -1;
#endif
  bool writable_ = false;
  std::filesystem::path path_;
};

// What a second writer of a file is told, on every platform: on POSIX when the lock is taken,
// on Windows already when the share mode refuses the open.
inline std::string beingWrittenText(const std::filesystem::path& path) {
  return "The file '" + pathText(path) + "' is being written by another program; try again when it has finished.";
}

// Throws the jet::FileError of a failed system call: "WHAT 'PATH': REASON.", the reason (an errno
// or a Win32 error code) in the words the user reads beside the file's name.
[[noreturn]] void throwFileError(const std::filesystem::path& path, const std::string& what, unsigned long systemError);

// Renames `from` to `to` unless something named `to` exists: false then, with `from` left as
// it was. Two programs that publish a new file under one name so never replace each other's.
// On Windows a new file held for a moment (a virus scanner) is retried for about a second.
// Throws jet::FileError naming both paths on any other failure.
bool renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace jet
