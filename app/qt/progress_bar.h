// ProgressBar1 on Qt: the run's single-precision Min, Max and Value (app/progress_range.h);
// the Qt bar underneath only ever shows the fraction (Value - Min) / (Max - Min).
#pragma once

#include <QProgressBar>

#include "app/progress_range.h"

namespace app {

class ProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  float min() const { return range_.min(); }
  float max() const { return range_.max(); }
  float value() const { return range_.value(); }

  // Refused values throw run::WindowError (380) and change nothing (see ProgressRange).
  void setMax(float max);
  void setValue(float value);

 private:
  void showFraction();

  ProgressRange range_;
};

}  // namespace app
