// Calendar dates and Jet's day numbers. Day 0 is 1899-12-30, the day Jet's date values count
// from; the calendar is the proleptic Gregorian one, for every year.
//
// Layout: docs/file-format.md#dates
#pragma once

#include <cstdint>
#include <optional>

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

// A date value split into its calendar date and its time of day, counted in ticks since
// midnight.
struct CivilMoment {
  CivilDate date;
  int64_t ticks;  // 0 <= ticks < 86400 * ticks per second
};
// The moment a Jet date value stands for, its time rounded to the nearest tick: one tick a
// second is the time as Jet shows it, 1000 the milliseconds. The whole part counts days
// (negative before 1899-12-30) and the fraction is the time of day whatever the sign, so
// -1.25 is 1899-12-29 06:00; a time that rounds up to midnight belongs to the next day.
// Nothing for a value that is not finite or lies beyond 3 million days either side.
std::optional<CivilMoment> momentOfJetDate(double days, int64_t ticksPerSecond);

}  // namespace jet
