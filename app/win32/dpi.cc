#include "app/win32/dpi.h"

namespace app::win32 {
namespace {

// Looked up at run time so that the program still starts on a Windows without them.
template <typename F>
F user32Function(const char* name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int windowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && hwnd != nullptr) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

RECT pixelRect(const layout::TwipsRect& twips, int dpi) {
  const int left = toPixels(twips.left, dpi), top = toPixels(twips.top, dpi);
  return RECT{left, top, left + toPixels(twips.width, dpi), top + toPixels(twips.height, dpi)};
}

SIZE frameSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  using AdjustFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = user32Function<AdjustFn>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, clientWidth, clientHeight};
  if (adjustForDpi != nullptr)
    adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace app::win32
