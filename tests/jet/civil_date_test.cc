// Jet's day numbers against a plain day-by-day walk of the calendar over every day Jet
// dates can hold, from 100-01-01 to 9999-12-31, and date values split into date and time.
#include "jet/util/civil_date.h"

#include <gtest/gtest.h>

#include <cmath>

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

// A date value split at whole seconds and at milliseconds: the time rounds to the nearest tick
// and a time that rounds to midnight moves to the next day on the calendar, on either side
// of day 0.
TEST(CivilDate, MomentsRoundToTheNearestTick) {
  const double lastSecond = 45000 + 86399.7 / 86400;  // 2023-03-15 23:59:59.7
  struct Case {
    double days;
    int64_t perSecond;
    jet::CivilDate date;
    int64_t ticks;
  } cases[] = {
      {lastSecond, 1, {2023, 3, 16}, 0},
      {lastSecond, 1000, {2023, 3, 15}, 86399700},
      {-1.25, 1, {1899, 12, 29}, 6 * 3600},
      {-0.5, 1, {1899, 12, 30}, 12 * 3600},
      {-1.99999999, 1, {1899, 12, 30}, 0},  // 1899-12-29 23:59:59.999 is next to day 0
      {0.99999999, 1, {1899, 12, 31}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.days << " at " << c.perSecond << " a second");
    const auto m = jet::momentOfJetDate(c.days, c.perSecond);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->date.year, c.date.year);
    EXPECT_EQ(m->date.month, c.date.month);
    EXPECT_EQ(m->date.day, c.date.day);
    EXPECT_EQ(m->ticks, c.ticks);
  }
  EXPECT_FALSE(jet::momentOfJetDate(std::nan(""), 1).has_value());
  EXPECT_FALSE(jet::momentOfJetDate(3e6 + 1, 1).has_value());
}

}  // namespace
