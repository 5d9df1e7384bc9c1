#include "app/win32/progress_bar.h"

#include <commctrl.h>

#include <cmath>

namespace app::win32 {

ProgressBar::ProgressBar(HWND hwnd) : hwnd_(hwnd) {
  // One step more than shown: see show().
  SendMessageW(hwnd_, PBM_SETRANGE32, 0, kSteps + 1);
  show();
}

void ProgressBar::setMax(float max) {
  range_.setMax(max);
  show();
}

void ProgressBar::setValue(float value) {
  range_.setValue(value);
  show();
}

void ProgressBar::setVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (visible) UpdateWindow(hwnd_);
}

// A themed bar glides forward on timer messages, which the copy passes do not dispatch;
// a step back is drawn at once. So each new position is reached from one step beyond it.
void ProgressBar::show() {
  const int step = static_cast<int>(std::lround(range_.fraction() * kSteps));
  if (step == shownStep_) return;
  shownStep_ = step;
  SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(step + 1), 0);
  SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(step), 0);
}

}  // namespace app::win32
