// frmMain on Win32: the controls it makes from the layout table, its state when it opens,
// its keyboard interface, and the window operations the run drives. Modal windows (file
// dialog, message box) are acted on from a timer that runs inside their own loop.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/layout.h"
#include "app/win32/dpi.h"
#include "app/win32/file_dialog.h"
#include "app/win32/frm_main.h"
#include "app/win32/win32_run_window.h"
#include "run/run_window.h"

namespace {

using app::win32::FrmMain;
namespace layout = app::layout;

std::wstring textOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)), L'\0');
  GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

std::wstring classOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// While it lives, calls act every 50 ms on the thread's message loop (also a modal one)
// until act returns true. A modal window still open after 20 s fails the test and is closed.
class ModalActor {
 public:
  explicit ModalActor(std::function<bool()> act) {
    act_ = std::move(act);
    started_ = GetTickCount64();
    timer_ = SetTimer(nullptr, 0, 50, &ModalActor::tick);
  }
  ~ModalActor() { KillTimer(nullptr, timer_); }
  ModalActor(const ModalActor&) = delete;
  ModalActor& operator=(const ModalActor&) = delete;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!act_) return;
    if (act_()) {
      act_ = nullptr;
    } else if (GetTickCount64() - started_ > 20000) {
      ADD_FAILURE() << "a modal window was not acted on";
      if (HWND modal = FindWindowW(L"#32770", nullptr)) PostMessageW(modal, WM_COMMAND, IDCANCEL, 0);
      act_ = nullptr;
    }
  }
  static inline std::function<bool()> act_;
  static inline ULONGLONG started_ = 0;
  UINT_PTR timer_ = 0;
};

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
  }
  void open(FrmMain::RunHandler onStart = {}) {
    window_ = std::make_unique<FrmMain>(std::move(onStart));
    ASSERT_NE(window_->hwnd(), nullptr);
    window_->show();
    pump();
  }
  HWND control(const char* name) { return window_->control(name); }
  void click(const char* name) { SendMessageW(control(name), BM_CLICK, 0, 0); }

  std::unique_ptr<FrmMain> window_;
};

TEST_F(Win32WindowTest, ControlsAreThePlatformsOwnAtTheirPlaces) {
  open();
  const int dpi = window_->dpi();
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  EXPECT_EQ(client.right, layout::toPixels(layout::kClientWidth, dpi));
  EXPECT_EQ(client.bottom, layout::toPixels(layout::kClientHeight, dpi));
  EXPECT_EQ(textOf(window_->hwnd()), L"Tarvo Certificate Data Extractor v3.1.0");
  // The program's own icon in the title bar and the taskbar, not the generic one.
  const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window_->hwnd(), GCLP_HICON));
  EXPECT_NE(icon, nullptr);
  EXPECT_NE(icon, LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));
  EXPECT_NE(GetClassLongPtrW(window_->hwnd(), GCLP_HICONSM), 0);

  for (const layout::Control& c : layout::controls()) {
    SCOPED_TRACE(c.name);
    HWND hwnd = control(c.name.c_str());
    if (c.kind == layout::Kind::kPicture || c.kind == layout::Kind::kRectangle) {
      EXPECT_EQ(hwnd, nullptr);  // painted by the window itself
      continue;
    }
    ASSERT_NE(hwnd, nullptr);
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, window_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    const RECT want = app::win32::pixelRect(layout::clientRect(c), dpi);
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right, want.right);
    EXPECT_EQ(r.bottom, want.bottom);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (c.kind == layout::Kind::kPushButton) {
      EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);  // never the default button
    } else if (c.kind == layout::Kind::kGroupBox) {
      EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
    } else if (c.kind == layout::Kind::kLabel) {
      EXPECT_EQ(classOf(hwnd), L"Static");
      EXPECT_NE(style & SS_NOPREFIX, 0);  // no access keys
      if (c.fitOneLine) {  // shows whole on its line, with the face it is drawn in
        HDC dc = GetDC(hwnd);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        const std::wstring text = textOf(hwnd);
        SIZE drawn{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &drawn);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        EXPECT_LE(drawn.cx, r.right - r.left) << "the text is cut";
      }
    }
  }
  // Frame2 lands at (840, 6150) twips in the client area.
  RECT frame2;
  GetWindowRect(control("Frame2"), &frame2);
  MapWindowPoints(HWND_DESKTOP, window_->hwnd(), reinterpret_cast<POINT*>(&frame2), 2);
  EXPECT_EQ(frame2.left, layout::toPixels(840, dpi));
  EXPECT_EQ(frame2.top, layout::toPixels(6150, dpi));
}

// Everything stands in front of its group box and of the bottom panel it sits on.
TEST_F(Win32WindowTest, StackingKeepsContentsInFrontOfWhatHoldsThem) {
  open();
  std::vector<HWND> topToBottom;
  for (HWND h = GetWindow(window_->hwnd(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    topToBottom.push_back(h);
  auto depth = [&](const char* name) {
    return std::find(topToBottom.begin(), topToBottom.end(), control(name)) - topToBottom.begin();
  };
  for (const layout::Control& c : layout::controls()) {
    if (c.container != layout::kWindowName) {
      EXPECT_LT(depth(c.name.c_str()), depth(c.container.c_str())) << c.name;
    }
  }
  for (const char* name : {"cmdEND", "cmdRUN", "ProgressBar1", "Label3"})
    EXPECT_LT(depth(name), depth("Label4")) << name;
}

TEST_F(Win32WindowTest, OpensWithBarHiddenBoxesEmptyAndFocusOnExit) {
  open();
  EXPECT_FALSE(IsWindowVisible(control("ProgressBar1")));
  EXPECT_EQ(window_->progressBar1().value(), 0.0f);
  EXPECT_EQ(window_->progressBar1().max(), 100.0f);
  for (const char* name : {"txtResults", "txtUploadFileDirectory", "txtUploadFileName"})
    EXPECT_EQ(GetWindowTextLengthW(control(name)), 0) << name;
  EXPECT_EQ(GetFocus(), control("cmdEND"));
}

TEST_F(Win32WindowTest, TabCyclesExitStartAndTheThreeBoxesAndEnterEscDoNothing) {
  int starts = 0;
  open([&](run::RunWindow&) { ++starts; });
  auto press = [&](WPARAM key) {
    MSG down{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    if (!window_->handleKeyboard(down)) DispatchMessageW(&down);
    pump();
  };
  std::vector<HWND> seen;
  for (int i = 0; i < 5; ++i) {
    press(VK_TAB);
    seen.push_back(GetFocus());
  }
  EXPECT_EQ(seen, (std::vector<HWND>{control("cmdRUN"), control("txtUploadFileName"),
                                     control("txtUploadFileDirectory"), control("txtResults"),
                                     control("cmdEND")}));
  press(VK_RETURN);
  press(VK_ESCAPE);
  EXPECT_EQ(starts, 0);
  EXPECT_NE(window_->hwnd(), nullptr);
}

TEST_F(Win32WindowTest, RunOperationsDriveTheControls) {
  open([](run::RunWindow& w) {
    w.setResultsText(u"7");
    w.setUploadFileDirectoryText(u"L-1.mdb");
    w.setUploadFileNameText(u"C:\\Users\\Zo\u00eb\\Tarvo");
    w.setProgressMax(42.0f);
    w.setProgressVisible(true);
    for (int k = 0; k < 21; ++k) w.setProgressValue(w.progressValue() + 1);
    try {
      w.setProgressValue(43.0f);
    } catch (const run::WindowError& e) {
      w.setResultsText(e.number() == 380 ? u"refused" : u"?");
    }
  });
  click("cmdRUN");
  EXPECT_EQ(textOf(control("txtResults")), L"refused");
  EXPECT_EQ(textOf(control("txtUploadFileDirectory")), L"L-1.mdb");
  EXPECT_EQ(textOf(control("txtUploadFileName")), L"C:\\Users\\Zo\u00eb\\Tarvo");
  EXPECT_TRUE(IsWindowVisible(control("ProgressBar1")));
  EXPECT_EQ(window_->progressBar1().value(), 21.0f);
  const auto pos = SendMessageW(control("ProgressBar1"), PBM_GETPOS, 0, 0);
  EXPECT_EQ(pos, app::win32::ProgressBar::kSteps / 2);
  EXPECT_FALSE(window_->isRunning());
}

TEST_F(Win32WindowTest, StartDuringTheRunsYieldIsIgnored) {
  int starts = 0;
  open([&](run::RunWindow& w) {
    ++starts;
    PostMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control("cmdRUN")));
    w.processPendingEvents();
  });
  click("cmdRUN");
  EXPECT_EQ(starts, 1);
}

TEST_F(Win32WindowTest, ExitBetweenRunsEndsTheLoop) {
  open();
  click("cmdEND");
  EXPECT_EQ(window_->hwnd(), nullptr);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Win32WindowTest, ExitDuringTheRunsYieldEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        open([&](run::RunWindow& w) {
          PostMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                       reinterpret_cast<LPARAM>(control("cmdEND")));
          w.processPendingEvents();
          std::exit(3);  // only reached when EXIT did not end the process
        });
        click("cmdRUN");
        std::exit(4);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(Win32WindowTest, FileDialogCancelAndChoice) {
  open();
  app::win32::Win32RunWindow ops(*window_);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarvo_win32_dialog";
  std::filesystem::create_directories(dir);
  const std::filesystem::path chosen = dir / "Tarvo.MDB";
  { FILE* f = _wfopen(chosen.c_str(), L"wb"); if (f) fclose(f); }
  ops.setDialogCancelError(true);
  ops.setDialogTitle(u"Select your Tarvo Database File");
  ops.setDialogFilter(u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb");
  ops.setDialogFlags(1);
  ops.setDialogInitDir(dir.u16string());
  auto dialog = [] { return FindWindowW(L"#32770", L"Select your Tarvo Database File"); };

  {
    ModalActor cancel([&] {
      HWND d = dialog();
      if (d) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return d != nullptr;
    });
    try {
      ops.showOpenDialog();
      ADD_FAILURE() << "a cancel with the switch on must fail";
    } catch (const run::WindowError& e) {
      EXPECT_EQ(e.number(), run::kCancelError);
    }
  }
  {
    ModalActor choose([&] {
      HWND d = dialog();
      if (!d) return false;
      HWND name = GetDlgItem(d, 0x47c);  // cmb13, the file name box
      if (!name) name = GetDlgItem(d, 0x480);  // edt1
      SetWindowTextW(name, chosen.c_str());
      PostMessageW(d, WM_COMMAND, IDOK, 0);
      return true;
    });
    ops.showOpenDialog();
  }
  EXPECT_EQ(std::filesystem::path(ops.dialogFileName()), chosen);
  {
    ops.setDialogCancelError(false);
    ModalActor cancel([&] {
      HWND d = dialog();
      if (d) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
      return d != nullptr;
    });
    EXPECT_NO_THROW(ops.showOpenDialog());
  }
  std::filesystem::remove_all(dir);
}

TEST_F(Win32WindowTest, MessageBoxHasOneOkButtonAndNoIcon) {
  open();
  app::win32::Win32RunWindow ops(*window_);
  int buttons = -1;
  bool icon = true;
  std::wstring text;
  ModalActor look([&] {
    HWND box = FindWindowW(L"#32770", L"Error in cmdRUN");
    if (!box) return false;
    buttons = 0;
    for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      if (classOf(h) == L"Button" && IsWindowVisible(h)) ++buttons;
    HWND iconControl = GetDlgItem(box, 20);  // the box's icon, when it has one
    icon = iconControl != nullptr && IsWindowVisible(iconControl);
    text = textOf(GetDlgItem(box, 0xFFFF));  // the box's text
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  });
  ops.showMessage(u"-2147467259-Not a valid password.", u"Error in cmdRUN");
  EXPECT_EQ(buttons, 1);
  EXPECT_FALSE(icon);
  EXPECT_EQ(text, L"-2147467259-Not a valid password.");
}

TEST(Win32FileDialog, FilterBecomesNulSeparatedPairs) {
  using app::win32::dialogFilter;
  EXPECT_EQ(dialogFilter(L"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb"),
            std::wstring(L"Tarvo Data ONLY (tarvo*.mdb)\0tarvo*.mdb\0\0", 41));
  EXPECT_EQ(dialogFilter(L"Access|*.mdb;*.accdb|All|*.*"),
            std::wstring(L"Access\0*.mdb;*.accdb\0All\0*.*\0\0", 30));
  EXPECT_TRUE(dialogFilter(L"").empty());
  EXPECT_TRUE(dialogFilter(L"Only a description").empty());
  EXPECT_TRUE(dialogFilter(L"Empty pattern|").empty());
}

}  // namespace
