// ProgressBar1's Min, Max and Value: single-precision numbers, as the run reads and writes
// them. Both front ends keep them here and only show the fraction on their own bar.
#pragma once

namespace app {

class ProgressRange {
 public:
  float min() const { return min_; }
  float max() const { return max_; }
  float value() const { return value_; }

  // A maximum below the minimum, or a value outside [Min, Max], is refused with a
  // run::WindowError (380, invalid property value) and changes nothing. Max == Min is
  // allowed (an empty database gives a total of 0), and so is a maximum below the current
  // value: a second run keeps the value the first one left, and its progress rule brings
  // the value down to the new maximum. Min stays at its stored 0.
  void setMax(float max);
  void setValue(float value);

  // (Value - Min) / (Max - Min), within [0, 1]; 0 while Max == Min.
  double fraction() const;

 private:
  float min_ = 0;
  float max_ = 100;
  float value_ = 0;
};

}  // namespace app
