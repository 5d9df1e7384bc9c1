// Calendar dates and Jet's day numbers. Day 0 is 1899-12-30, the day Jet's date values count
// from; the calendar is the proleptic Gregorian one, for every year.
//
// Layout: docs/file-format.md#dates
#pragma once

#include <cstdint>

namespace jet {

struct CivilDate {
  int64_t year;
  unsigned month;  // 1-12
  unsigned day;    // 1-31
};

// The day number of a date; days before 1899-12-30 are negative. The day is not checked
// against the length of its month.
int64_t jetDayOfDate(int64_t year, unsigned month, unsigned day);
// The date of a day number.
CivilDate dateOfJetDay(int64_t day);

}  // namespace jet
