// CommonDialog1 on the common file dialog (GetOpenFileNameW): its settings as the run makes
// them, shown modally over the window. Its filter matches names without regard to case, as
// Windows always does.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace app::win32 {

class FileDialog {
 public:
  void setCancelError(bool on) { cancelError_ = on; }
  void setTitle(std::wstring title) { title_ = std::move(title); }
  void setFilter(std::wstring filter) { filter_ = std::move(filter); }
  // Flag 1 is the dialog's OFN_READONLY: the "Open as read-only" box starts ticked.
  void setFlags(short flags) { flags_ = flags; }
  void setInitDir(std::wstring dir) { initDir_ = std::move(dir); }

  // Modal over owner. On a cancel, throws run::WindowError(kCancelError) when the cancel
  // switch is on; otherwise returns with FileName unchanged. A dialog that cannot be shown
  // throws run::WindowError with the dialog's own error code.
  void show(HWND owner);
  const std::wstring& fileName() const { return fileName_; }

 private:
  bool cancelError_ = false;
  std::wstring title_;
  std::wstring filter_;
  short flags_ = 0;
  std::wstring initDir_;
  std::wstring fileName_;
};

// "Description|pattern[|Description|pattern...]" as the dialog's list of NUL-ended pairs
// ending in an empty string; a description without a pattern is dropped. Empty when no
// pair is left (the dialog then shows every file).
std::wstring dialogFilter(std::wstring_view filter);

}  // namespace app::win32
