#include "app/win32/file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "run/run_window.h"

namespace app::win32 {

std::wstring dialogFilter(std::wstring_view filter) {
  std::vector<std::wstring_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = filter.find(L'|', start);
    parts.push_back(filter.substr(start, bar == std::wstring_view::npos ? bar : bar - start));
    if (bar == std::wstring_view::npos) break;
    start = bar + 1;
  }
  std::wstring list;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i + 1].find_first_not_of(L" ;") == std::wstring_view::npos) continue;
    list.append(parts[i]).push_back(L'\0');
    list.append(parts[i + 1]).push_back(L'\0');
  }
  if (!list.empty()) list.push_back(L'\0');
  return list;
}

void FileDialog::show(HWND owner) {
  // Room for the longest path Windows allows.
  std::wstring buffer(32768, L'\0');
  const std::wstring filter = dialogFilter(filter_);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initDir_.empty() ? nullptr : initDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              OFN_ENABLESIZING | ((flags_ & OFN_READONLY) ? OFN_READONLY : OFN_HIDEREADONLY);
  if (GetOpenFileNameW(&ofn)) {
    fileName_ = buffer.c_str();
    return;
  }
  const DWORD error = CommDlgExtendedError();
  if (error != 0)
    throw run::WindowError(static_cast<int>(error),
                           "The file dialog could not be shown (code " + std::to_string(error) +
                               ").");
  if (cancelError_) throw run::WindowError(run::kCancelError, "Cancel was selected.");
}

}  // namespace app::win32
