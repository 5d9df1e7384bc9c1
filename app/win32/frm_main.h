// frmMain on Win32, the program's one window on Windows: the controls of the stored layout
// (app/layout.h) as the platform's own controls, each at its place and size at the
// window's DPI. The banner band and picture are painted by the window itself, behind the
// labels, as the windowless items they are.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/layout.h"
#include "app/win32/banner.h"
#include "app/win32/file_dialog.h"
#include "app/win32/fonts.h"
#include "app/win32/progress_bar.h"

namespace run {
class RunWindow;
}

namespace app::win32 {

class FrmMain {
 public:
  // START runs onStart on the window's thread, with the window operations of this window.
  using RunHandler = std::function<void(run::RunWindow&)>;
  // Makes the window and its controls and runs the load step; the window is not shown yet.
  explicit FrmMain(RunHandler onStart);
  ~FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Shows the window with the focus on EXIT.
  void show(int showCommand = SW_SHOWNORMAL);
  // Null once EXIT or closing has ended the window.
  HWND hwnd() const { return hwnd_; }
  // The control of that name in the layout; null for the picture and the rectangle.
  HWND control(std::string_view name) const;
  ProgressBar& progressBar1() { return progressBar1_; }
  FileDialog& commonDialog1() { return commonDialog1_; }
  bool isRunning() const { return running_; }
  int dpi() const { return fonts_->dpi(); }

  // The window's keyboard interface (Tab, Shift+Tab, arrows, space on a button) for a
  // message taken from the queue; false when the caller is to dispatch it itself.
  bool handleKeyboard(MSG& message);

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void placeControls();
  void changeDpi(int dpi, const RECT& suggested);
  void paintBackdrop(HDC dc);
  LRESULT labelColours(HDC dc, HWND label);
  void Form_Load();
  void cmdRUN_Click();
  void endProgram();

  struct Made {
    const layout::Control* control;
    HWND hwnd;
  };

  RunHandler onStart_;
  HWND hwnd_ = nullptr;
  std::unique_ptr<Fonts> fonts_;
  BannerPicture banner_;
  std::vector<Made> controls_;
  ProgressBar progressBar1_;
  FileDialog commonDialog1_;
  HWND focus_ = nullptr;  // given back when the window is activated again
  bool running_ = false;
};

// The program's event loop, until EXIT or closing ends it; returns the exit code.
int runMessageLoop(FrmMain& window);

}  // namespace app::win32
