#include "app/qt/progress_bar.h"

#include <cmath>

namespace app {
namespace {

// Resolution of the Qt bar: its int range cannot hold every float the run may set.
constexpr int kSteps = 10000;

}  // namespace

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setOrientation(Qt::Horizontal);
  setTextVisible(false);
  QProgressBar::setRange(0, kSteps);
  showFraction();
}

void ProgressBar::setMax(float max) {
  range_.setMax(max);
  showFraction();
}

void ProgressBar::setValue(float value) {
  range_.setValue(value);
  showFraction();
}

void ProgressBar::showFraction() {
  QProgressBar::setValue(static_cast<int>(std::lround(range_.fraction() * kSteps)));
}

}  // namespace app
