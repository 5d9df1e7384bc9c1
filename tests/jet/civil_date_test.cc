// Jet's day numbers against a plain day-by-day walk of the calendar over every day Jet
// dates can hold, from 100-01-01 to 9999-12-31.
#include "jet/util/civil_date.h"

#include <gtest/gtest.h>

namespace {

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysIn(int64_t y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

TEST(CivilDate, DayNumbersFollowTheCalendarDayByDay) {
  EXPECT_EQ(jet::jetDayOfDate(1899, 12, 30), 0);
  EXPECT_EQ(jet::jetDayOfDate(1899, 12, 29), -1);
  EXPECT_EQ(jet::jetDayOfDate(1900, 3, 1), 61);  // no 29 February in 1900
  EXPECT_EQ(jet::jetDayOfDate(1970, 1, 1), 25569);
  int64_t y = 100;
  unsigned m = 1, d = 1;
  int64_t n = -657434;  // Jet's first day
  int mismatches = 0;
  for (;;) {
    const jet::CivilDate c = jet::dateOfJetDay(n);
    const bool ok = jet::jetDayOfDate(y, m, d) == n && c.year == y && c.month == m && c.day == d;
    if (!ok && ++mismatches <= 5) ADD_FAILURE() << y << "-" << m << "-" << d << " is not day " << n;
    if (y == 9999 && m == 12 && d == 31) break;
    ++n;
    if (++d > daysIn(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(n, 2958465);  // Jet's last day
}

}  // namespace
