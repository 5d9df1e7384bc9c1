#include "app/progress_bar.h"

#include <cmath>

#include "run/run_window.h"

namespace app {
namespace {

// Resolution of the Qt bar: its int range cannot hold every float the run may set.
constexpr int kSteps = 10000;
constexpr int kInvalidPropertyValue = 380;

[[noreturn]] void refuse() {
  throw run::WindowError(kInvalidPropertyValue, "Invalid property value");
}

}  // namespace

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setOrientation(Qt::Horizontal);
  setTextVisible(false);
  QProgressBar::setRange(0, kSteps);
  showFraction();
}

void ProgressBar::setMax(float max) {
  if (!(max >= min_) || std::isinf(max)) refuse();
  max_ = max;
  showFraction();
}

void ProgressBar::setValue(float value) {
  if (!(value >= min_ && value <= max_)) refuse();
  value_ = value;
  showFraction();
}

void ProgressBar::showFraction() {
  const double span = static_cast<double>(max_) - min_;
  double fraction = span > 0 ? (static_cast<double>(value_) - min_) / span : 0.0;
  if (fraction > 1) fraction = 1;
  QProgressBar::setValue(static_cast<int>(std::lround(fraction * kSteps)));
}

}  // namespace app
