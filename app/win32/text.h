// Text for the Win32 calls: UTF-16 in wchar_t, converted from the layout's UTF-8 and from the
// run's std::u16string (the same code units on Windows).
#pragma once

#include <string>
#include <string_view>

namespace app::win32 {

std::wstring wide(std::string_view utf8);
inline std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string utf16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace app::win32
