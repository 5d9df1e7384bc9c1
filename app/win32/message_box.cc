#include "app/win32/message_box.h"

namespace app::win32 {

void showMessageBox(HWND owner, const std::wstring& text, const std::wstring& title) {
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_APPLMODAL | MB_SETFOREGROUND);
}

}  // namespace app::win32
