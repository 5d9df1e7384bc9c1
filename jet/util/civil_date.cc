#include "jet/util/civil_date.h"

#include <cmath>

namespace jet {
namespace {

// Howard Hinnant's algorithms count from 1970-01-01 in eras of 400 years (146097 days), with
// each year starting on 1 March so that the leap day comes last.
constexpr int64_t kUnixEpochDay = 25569;  // 1970-01-01 in Jet's count
constexpr int64_t kEraShift = 719468;     // 0000-03-01 to 1970-01-01

}  // namespace

int64_t jetDayOfDate(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - kEraShift + kUnixEpochDay;
}

CivilDate dateOfJetDay(int64_t day) {
  const int64_t z = day - kUnixEpochDay + kEraShift;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

std::optional<CivilMoment> momentOfJetDate(double days, int64_t ticksPerSecond) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return std::nullopt;
  const double whole = std::trunc(days);
  const int64_t ticksPerDay = 86400 * ticksPerSecond;
  int64_t day = static_cast<int64_t>(whole);
  int64_t ticks = std::llround(std::fabs(days - whole) * static_cast<double>(ticksPerDay));
  // Rounded up to midnight: the next day on the calendar, which for a negative value is the
  // day number one higher too (-1.9999999 rounds to 1899-12-30, day 0).
  if (ticks >= ticksPerDay) {
    ticks -= ticksPerDay;
    ++day;
  }
  return CivilMoment{dateOfJetDay(day), ticks};
}

}  // namespace jet
