#include "app/win32/frm_main.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <utility>

#include "app/win32/dpi.h"
#include "app/win32/group_box.h"
#include "app/win32/resource_ids.h"
#include "app/win32/text.h"
#include "app/win32/win32_run_window.h"

namespace app::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TarvoFrmMain";
// A fixed frame: the layout does not follow it. The window paints behind its transparent
// labels, so it does not clip its children.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;
// Control ids start above IDOK and IDCANCEL, which the keyboard interface sends for Enter
// and Esc: no button answers to those.
constexpr int kFirstId = 100;

COLORREF colourRef(const layout::Colour& c) {
  return c.buttonText ? GetSysColor(COLOR_BTNTEXT) : RGB(c.red, c.green, c.blue);
}

DWORD alignment(layout::Align align) {
  switch (align) {
    case layout::Align::kLeft: return SS_LEFT;
    case layout::Align::kCenter: return SS_CENTER;
    case layout::Align::kRight: return SS_RIGHT;
  }
  return SS_LEFT;
}

struct WindowKind {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

WindowKind windowFor(const layout::Control& c) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (c.kind) {
    case layout::Kind::kPushButton:
      return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case layout::Kind::kGroupBox:
      return {L"BUTTON", kChild | BS_GROUPBOX, 0};
    case layout::Kind::kTextBox:
      return {L"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case layout::Kind::kProgressBar:
      return {PROGRESS_CLASSW, kChild, 0};
    case layout::Kind::kLabel:
      // A label draws only its letters (its background, where it has one, is painted by
      // the window: paintBackdrop), after the siblings beneath it. Labels wrap at word
      // boundaries and show what fits their height.
      return {L"STATIC", kChild | SS_NOPREFIX | alignment(c.align),
              static_cast<DWORD>(WS_EX_TRANSPARENT) |
                  (c.sunkenBorder ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0u)};
    case layout::Kind::kPicture:
    case layout::Kind::kRectangle:
      break;
  }
  return {nullptr, 0, 0};
}

// Top of the stack first: the controls that take the focus in tab order (the keyboard
// interface follows the stack), then every other one in front of what it stands on.
std::vector<const layout::Control*> stackingOrder() {
  std::vector<const layout::Control*> order = layout::tabOrder();
  std::vector<const layout::Control*> rest = layout::backToFront();
  for (auto it = rest.rbegin(); it != rest.rend(); ++it)
    if (!layout::takesFocus((*it)->kind) && windowFor(**it).windowClass != nullptr)
      order.push_back(*it);
  return order;
}

ATOM registerClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced by the window's own on creation
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    // The program's icon in the sizes the title bar and the taskbar (Alt+Tab) ask for.
    auto icon = [&](int x, int y) {
      return static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(TARVO_APP_ICON), IMAGE_ICON,
                                           GetSystemMetrics(x), GetSystemMetrics(y), LR_DEFAULTCOLOR));
    };
    wc.hIcon = icon(SM_CXICON, SM_CYICON);
    wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
    if (wc.hIcon == nullptr) wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
  }();
  return atom;
}

}  // namespace

FrmMain::FrmMain(RunHandler onStart)
    : onStart_(std::move(onStart)), fonts_(std::make_unique<Fonts>(kDefaultDpi)) {
  registerClass();
  hwnd_ = CreateWindowExW(kExStyle, kClassName, wide(std::string_view(layout::kWindowCaption)).c_str(),
                          kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrmMain::windowProc));
  fonts_ = std::make_unique<Fonts>(windowDpi(hwnd_));
  const SIZE frame = frameSizeForClient(toPixels(layout::kClientWidth, dpi()),
                                        toPixels(layout::kClientHeight, dpi()), kStyle,
                                        kExStyle, dpi());
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  createControls();
  placeControls();
  Form_Load();
}

FrmMain::~FrmMain() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void FrmMain::createControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const auto stored = layout::controls();
  for (const layout::Control* control : stackingOrder()) {
    const WindowKind how = windowFor(*control);
    const auto id = kFirstId + (control - stored.data());
    HWND hwnd = CreateWindowExW(how.exStyle, how.windowClass, wide(control->caption).c_str(),
                                how.style, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                nullptr);
    // Each new control goes beneath the ones made before it.
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (control->kind == layout::Kind::kGroupBox) subclassGroupBox(hwnd, colourRef(control->colour));
    if (control->kind == layout::Kind::kProgressBar) progressBar1_ = ProgressBar(hwnd);
    controls_.push_back({control, hwnd});
  }
}

// Places every control and gives it its font, at the window's DPI.
void FrmMain::placeControls() {
  for (const auto& [control, hwnd] : controls_) {
    const RECT r = pixelRect(layout::clientRect(*control), dpi());
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (control->kind == layout::Kind::kProgressBar) continue;
    const HFONT font = control->fitOneLine
                           ? fonts_->fitted(control->font, wide(control->caption), r.right - r.left)
                           : fonts_->font(control->font);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

void FrmMain::changeDpi(int newDpi, const RECT& suggested) {
  // The old fonts stay alive until every control holds a new one.
  const std::unique_ptr<Fonts> old = std::exchange(fonts_, std::make_unique<Fonts>(newDpi));
  placeControls();
  const SIZE frame = frameSizeForClient(toPixels(layout::kClientWidth, newDpi),
                                        toPixels(layout::kClientHeight, newDpi), kStyle,
                                        kExStyle, newDpi);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

HWND FrmMain::control(std::string_view name) const {
  for (const auto& [control, hwnd] : controls_)
    if (control->name == name) return hwnd;
  return nullptr;
}

void FrmMain::show(int showCommand) {
  focus_ = control("cmdEND");
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(focus_);
}

void FrmMain::Form_Load() {
  progressBar1_.setVisible(false);
  progressBar1_.setValue(progressBar1_.min());
}

// What stands behind the labels, from the back to the front, in client coordinates: the
// band, the picture and the background of each opaque label. Every label control then
// draws only its letters, so the stacking holds whichever window the system paints first.
void FrmMain::paintBackdrop(HDC dc) {
  for (const layout::Control* c : layout::backToFront()) {
    const RECT box = pixelRect(layout::clientRect(*c), dpi());
    if (c->kind == layout::Kind::kRectangle) {
      HBRUSH brush = CreateSolidBrush(colourRef(c->colour));
      FillRect(dc, &box, brush);
      DeleteObject(brush);
    } else if (c->kind == layout::Kind::kPicture) {
      banner_.draw(dc, box);
    } else if (c->kind == layout::Kind::kLabel && c->opaque) {
      FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    }
  }
}

LRESULT FrmMain::labelColours(HDC dc, HWND label) {
  for (const auto& [control, hwnd] : controls_) {
    if (hwnd != label || control->kind != layout::Kind::kLabel) continue;
    SetTextColor(dc, colourRef(control->colour));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(label));
}

void FrmMain::cmdRUN_Click() {
  if (running_ || !onStart_) return;
  running_ = true;
  Win32RunWindow window(*this);
  // Nothing may unwind through the system's frames into the message loop.
  try {
    onStart_(window);
  } catch (const std::exception& e) {
    // The run reports its own failures; one that escapes it must not take the window down.
    window.showMessage(utf16(wide(std::string_view(e.what()))), u"Error in cmdRUN");
  } catch (...) {
    window.showMessage(u"Unexpected error", u"Error in cmdRUN");
  }
  running_ = false;
}

// Ends the program at once, with no question. Between runs the message loop is left
// normally. During a run the only way here is the run's one yield right after the file
// dialog, before it has opened anything; going back into the run would carry on with a
// window the user has closed, so the process ends on the spot.
void FrmMain::endProgram() {
  ShowWindow(hwnd_, SW_HIDE);
  if (running_) {
    std::fflush(nullptr);
    ExitProcess(0);
  }
  DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

bool FrmMain::handleKeyboard(MSG& message) {
  if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  // No button is the default: Enter presses none, not even the focused one, which the
  // keyboard interface would otherwise treat as the default.
  const bool enter = (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) ||
                     (message.message == WM_CHAR && message.wParam == L'\r');
  return enter || IsDialogMessageW(hwnd_, &message);
}

LRESULT CALLBACK FrmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FrmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT FrmMain::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        const auto from = reinterpret_cast<HWND>(lParam);
        if (from == control("cmdRUN")) cmdRUN_Click();
        else if (from == control("cmdEND")) endProgram();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      return labelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      paintBackdrop(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(hwnd_, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      paintBackdrop(dc);
      return 0;
    }
    case WM_ACTIVATE:
      // A plain window does not keep its focus across deactivation as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      } else if (focus_ != nullptr) {
        SetFocus(focus_);
      }
      return 0;
    case WM_SETFOCUS:
      if (focus_ != nullptr) SetFocus(focus_);
      return 0;
    case WM_DPICHANGED:
      changeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      endProgram();
      return 0;
    case WM_NCDESTROY: {
      HWND ending = std::exchange(hwnd_, nullptr);
      controls_.clear();
      return DefWindowProcW(ending, message, wParam, lParam);
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

int runMessageLoop(FrmMain& window) {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (window.handleKeyboard(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got < 0 ? 1 : static_cast<int>(message.wParam);
}

}  // namespace app::win32
