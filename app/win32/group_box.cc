#include "app/win32/group_box.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "app/win32/dpi.h"

namespace app::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 0x4742;  // any id of ours; one subclass per group box

void paint(HWND hwnd, HDC dc, COLORREF captionColour) {
  RECT client;
  GetClientRect(hwnd, &client);
  std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)), L'\0');
  GetWindowTextW(hwnd, caption.data(), static_cast<int>(caption.size()) + 1);

  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  // The caption starts a little in from the left and its middle sits on the top line.
  const int indent = MulDiv(6, windowDpi(hwnd), kDefaultDpi);
  RECT captionRect{client.left + indent, client.top, client.left + indent + text.cx,
                   client.top + text.cy};
  RECT frame = client;
  frame.top += text.cy / 2;

  const int saved = SaveDC(dc);
  if (!caption.empty())
    ExcludeClipRect(dc, captionRect.left, captionRect.top, captionRect.right, captionRect.bottom);
  HTHEME theme = OpenThemeData(hwnd, L"BUTTON");
  if (theme != nullptr) {
    DrawThemeBackground(theme, dc, BP_GROUPBOX, GBS_NORMAL, &frame, nullptr);
    CloseThemeData(theme);
  } else {
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  }
  RestoreDC(dc, saved);

  if (!caption.empty()) {
    FillRect(dc, &captionRect, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, captionColour);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &captionRect,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK groupBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR captionColour) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      paint(hwnd, dc, static_cast<COLORREF>(captionColour));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(hwnd, reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(captionColour));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the inside belongs to what stands in it
    case WM_UPDATEUISTATE:
      // No access keys, no focus: nothing to redraw, and a redraw of the box alone would
      // leave the labels inside it half painted.
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, groupBoxProc, kSubclassId);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void subclassGroupBox(HWND groupBox, COLORREF captionColour) {
  SetWindowSubclass(groupBox, groupBoxProc, kSubclassId, captionColour);
}

}  // namespace app::win32
