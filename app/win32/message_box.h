// The run's message box: modal over the window, one OK button, no icon.
#pragma once

#include <windows.h>

#include <string>

namespace app::win32 {

void showMessageBox(HWND owner, const std::wstring& text, const std::wstring& title);

}  // namespace app::win32
