#include "app/progress_range.h"

#include <cmath>

#include "run/run_window.h"

namespace app {
namespace {

constexpr int kInvalidPropertyValue = 380;

[[noreturn]] void refuse() {
  throw run::WindowError(kInvalidPropertyValue, "Invalid property value");
}

}  // namespace

void ProgressRange::setMax(float max) {
  if (!(max >= min_) || std::isinf(max)) refuse();
  max_ = max;
}

void ProgressRange::setValue(float value) {
  if (!(value >= min_ && value <= max_)) refuse();
  value_ = value;
}

double ProgressRange::fraction() const {
  const double span = static_cast<double>(max_) - min_;
  const double fraction = span > 0 ? (static_cast<double>(value_) - min_) / span : 0.0;
  return fraction > 1 ? 1 : fraction;
}

}  // namespace app
