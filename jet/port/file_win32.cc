// The file layer on Win32: CreateFileW with share modes, positioned reads and writes through
// OVERLAPPED offsets on a synchronous handle (no shared file position, 64-bit offsets), and
// the lock as a LockFileEx byte range.
//
// Windows byte-range locks are mandatory: while one handle holds a range, reads and writes of
// those bytes through other handles fail. The lock therefore covers one byte far beyond any
// data a Jet file can hold (Jet 4.0 stops at 2 GB), so it excludes other lockers and never
// readers or writers of pages.
#include "jet/port/file.h"

#include <algorithm>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "jet/util/error.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

constexpr DWORD kMaxIo = DWORD{1} << 30;          // one ReadFile/WriteFile at most
constexpr size_t kGatherBytes = size_t{4} << 20;  // staging for gathered writes

HANDLE h(void* handle) { return static_cast<HANDLE>(handle); }

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

std::string systemMessage(DWORD err) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (n != 0 && text != nullptr) message.assign(reinterpret_cast<const char16_t*>(text), n);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ' || message.back() == u'.')) {
    message.pop_back();
  }
  if (message.empty()) return "system error " + std::to_string(err);
  return toUtf8(message);
}

// The system's reason in the words the user reads beside the file's name.
std::string reasonText(const std::filesystem::path& path, DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return "the file does not exist";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "it is in use by another program";
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = GetFileAttributesW(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "it is a directory";
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return "the file is read-only";
      return "access is denied";
    }
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case ERROR_WRITE_PROTECT:
      return "the disk is read-only";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "the file already exists";
    default:
      return systemMessage(err);
  }
}

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what, DWORD err) {
  throwFileError(path, what, err);
}

}  // namespace

void throwFileError(const std::filesystem::path& path, const std::string& what, unsigned long systemError) {
  const std::string reason = reasonText(path, static_cast<DWORD>(systemError));
  throw FileError(errc::kUnspecified, what + " '" + pathText(path) + "': " + reason + ".", reason);
}

File File::open(const std::filesystem::path& path, Mode mode) {
  DWORD access = GENERIC_READ;
  // A reader lets everyone else go on reading and writing; a writer lets others read only.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  DWORD disposition = OPEN_EXISTING;
  if (mode != Mode::kReadOnly) {
    access |= GENERIC_WRITE;
    share = FILE_SHARE_READ;
  }
  if (mode == Mode::kCreate) disposition = CREATE_NEW;
  HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  const char* what = mode == Mode::kCreate ? "Cannot create" : "Cannot open";
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    // Another handle with write access (one of our writers, Access with the file open) keeps
    // a writer out through the share mode, before the lock is even tried.
    if (mode == Mode::kReadWrite && err == ERROR_SHARING_VIOLATION) {
      throw FileError(errc::kUnspecified, beingWrittenText(path));
    }
    fail(path, what, err);
  }
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    throw FileError(errc::kUnspecified, std::string(what) + " '" + pathText(path) + "': it is not a file.");
  }
  File f;
  f.handle_ = handle;
  f.writable_ = mode != Mode::kReadOnly;
  f.path_ = path;
  return f;
}

File::File(File&& other) noexcept
    : handle_(other.handle_), held_(other.held_), writable_(other.writable_),
      path_(std::move(other.path_)) {
  other.handle_ = nullptr;
  other.held_ = Lock::kNone;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    held_ = other.held_;
    writable_ = other.writable_;
    path_ = std::move(other.path_);
    other.handle_ = nullptr;
    other.held_ = Lock::kNone;
  }
  return *this;
}

File::~File() { close(); }

void File::close() noexcept {
  // Closing the handle releases its locks.
  if (handle_ != nullptr) CloseHandle(h(handle_));
  handle_ = nullptr;
  held_ = Lock::kNone;
}

uint64_t File::size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h(handle_), &size)) fail(path_, "Cannot read", GetLastError());
  return static_cast<uint64_t>(size.QuadPart);
}

size_t File::readSomeAt(uint64_t offset, std::span<uint8_t> out) const {
  size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED o = at(offset + done);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(out.size() - done, kMaxIo));
    DWORD got = 0;
    if (!ReadFile(h(handle_), out.data() + done, want, &got, &o)) {
      const DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) break;
      fail(path_, "Cannot read", err);
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void File::writeAt(uint64_t offset, std::span<const uint8_t> data) {
  requireWritable();
  size_t done = 0;
  while (done < data.size()) {
    OVERLAPPED o = at(offset + done);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - done, kMaxIo));
    DWORD put = 0;
    if (!WriteFile(h(handle_), data.data() + done, want, &put, &o)) {
      fail(path_, "Cannot write", GetLastError());
    }
    if (put == 0) fail(path_, "Cannot write", ERROR_WRITE_FAULT);
    done += put;
  }
}

// WriteFileGather needs unbuffered, sector-aligned I/O; page runs are instead copied into one
// staging buffer of a few MB and written with one call each.
void File::writeAt(uint64_t offset, std::span<const std::span<const uint8_t>> pieces) {
  requireWritable();
  size_t total = 0;
  for (const auto piece : pieces) total += piece.size();
  std::vector<uint8_t> staging;
  staging.reserve(std::min(total, kGatherBytes));
  for (const auto piece : pieces) {
    if (piece.size() >= kGatherBytes) {  // too big to stage: flush what is staged, write it alone
      writeAt(offset, staging);
      offset += staging.size();
      staging.clear();
      writeAt(offset, piece);
      offset += piece.size();
      continue;
    }
    if (staging.size() + piece.size() > kGatherBytes) {
      writeAt(offset, staging);
      offset += staging.size();
      staging.clear();
    }
    staging.insert(staging.end(), piece.begin(), piece.end());
  }
  writeAt(offset, staging);
}

void File::truncate(uint64_t size) {
  requireWritable();
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFileInformationByHandle(h(handle_), FileEndOfFileInfo, &end, sizeof end)) {
    fail(path_, "Cannot write", GetLastError());
  }
}

void File::sync() {
  if (!FlushFileBuffers(h(handle_))) fail(path_, "Cannot write", GetLastError());
}

bool File::tryLock(Lock lock) {
  if (lock == held_) return true;
  auto unlock = [&] {
    OVERLAPPED o = at(kFileLockOffset);
    UnlockFileEx(h(handle_), 0, 1, 0, &o);
    held_ = Lock::kNone;
  };
  auto take = [&](Lock which) -> DWORD {
    OVERLAPPED o = at(kFileLockOffset);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (which == Lock::kExclusive) flags |= LOCKFILE_EXCLUSIVE_LOCK;
    if (LockFileEx(h(handle_), flags, 0, 1, 0, &o)) {
      held_ = which;
      return ERROR_SUCCESS;
    }
    return GetLastError();
  };
  const Lock before = held_;
  if (held_ != Lock::kNone) unlock();
  if (lock == Lock::kNone) return true;
  const DWORD err = take(lock);
  if (err == ERROR_SUCCESS) return true;
  // Keep what was held rather than end up with nothing.
  if (before != Lock::kNone) take(before);
  if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING || err == ERROR_SHARING_VIOLATION) return false;
  // A file system without byte-range locks (some network shares): carry on unlocked.
  if (err == ERROR_NOT_SUPPORTED || err == ERROR_INVALID_FUNCTION) return true;
  fail(path_, "Cannot lock", err);
}

bool renameIfAbsent(const std::filesystem::path& from, const std::filesystem::path& to) {
  DWORD err = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 10; ++attempt) {
    // Without MOVEFILE_REPLACE_EXISTING the move never replaces what is there.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    err = GetLastError();
    if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) return false;
    if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION && err != ERROR_LOCK_VIOLATION) break;
    Sleep(20 * (attempt + 1));  // a scanner holding the new file for a moment
  }
  fail(to, "Cannot rename '" + pathText(from) + "' to", err);
}

}  // namespace jet
