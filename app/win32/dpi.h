// The window's dots per inch and the stored twips turned into pixels at them. The program
// is per-monitor DPI aware (its manifest), so every window reports the DPI of its monitor.
#pragma once

#include <windows.h>

#include "app/layout.h"

namespace app::win32 {

inline constexpr int kDefaultDpi = 96;

// The DPI of hwnd's monitor; the system's where Windows is older than 10 (1607).
int windowDpi(HWND hwnd);

inline int toPixels(int twips, int dpi) { return layout::toPixels(twips, dpi); }
RECT pixelRect(const layout::TwipsRect& twips, int dpi);

// The outer size of a window with this style whose client area is clientWidth x clientHeight
// pixels at dpi.
SIZE frameSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace app::win32
