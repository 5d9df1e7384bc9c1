// Publishing a new file on Win32. The hold is an open handle: a sweep opens a scratch file
// sharing nothing, which fails while any handle is open. The creating handle denies other
// writers, so before a Database may open the file it is swapped for one that reads only and
// shares everything, deleting and renaming included.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "jet/port/new_file.h"

namespace jet {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

// The creating handle itself keeps a sweep out.
void NewFile::hold() {}

void NewFile::shareWithOthers() {
  if (!file_.writable()) return;
  // The new handle opens before the old one closes, so the file is never unheld.
  HANDLE reader = CreateFileW(scratch_.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reader == INVALID_HANDLE_VALUE) throwFileError(scratch_, "Cannot open", GetLastError());
  CloseHandle(static_cast<HANDLE>(file_.handle_));
  file_.handle_ = reader;
  file_.held_ = File::Lock::kNone;
  file_.writable_ = false;
}

void NewFile::syncEverything() {
  if (file_.writable()) return file_.sync();
  // FlushFileBuffers needs a handle that may write; it flushes the file, whoever wrote it.
  HANDLE writer = CreateFileW(scratch_.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) throwFileError(scratch_, "Cannot write", GetLastError());
  const bool flushed = FlushFileBuffers(writer);
  const DWORD err = GetLastError();
  CloseHandle(writer);
  if (!flushed) throwFileError(scratch_, "Cannot write", err);
}

// MoveFileExW with MOVEFILE_WRITE_THROUGH (renameIfAbsent) returns once the new name is on
// the disk.
void NewFile::syncFolder() const {}

bool NewFile::removeIfUnheld(const std::filesystem::path& path) {
  HANDLE h = CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

unsigned long NewFile::processId() { return GetCurrentProcessId(); }

}  // namespace jet
