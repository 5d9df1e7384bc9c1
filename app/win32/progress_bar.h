// ProgressBar1 on the common controls' msctls_progress32: the run's single-precision Min,
// Max and Value (app/progress_range.h), the bar showing their fraction.
#pragma once

#include <windows.h>

#include "app/progress_range.h"

namespace app::win32 {

class ProgressBar {
 public:
  ProgressBar() = default;
  // hwnd: the progress bar control, made by the window.
  explicit ProgressBar(HWND hwnd);

  float min() const { return range_.min(); }
  float max() const { return range_.max(); }
  float value() const { return range_.value(); }
  // Refused values throw run::WindowError (380) and change nothing (see ProgressRange).
  void setMax(float max);
  void setValue(float value);
  void setVisible(bool visible);

  HWND hwnd() const { return hwnd_; }
  // The position the control shows, out of kSteps.
  int shownStep() const { return shownStep_; }
  static constexpr int kSteps = 10000;

 private:
  void show();

  HWND hwnd_ = nullptr;
  ProgressRange range_;
  int shownStep_ = -1;
};

}  // namespace app::win32
