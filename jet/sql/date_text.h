// Dates as Jet keeps them (days since 1899-12-30, the fraction the time of day) and the
// text forms the SQL dialect and value conversions read: yyyy-mm-dd, yyyy/mm/dd and the
// US form m/d/yyyy, each optionally followed by hh:mm[:ss] [AM|PM]. Dates are written as text
// by jet::textOf.
#pragma once

#include <optional>
#include <string_view>

namespace jet::sql {

// Days since 1899-12-30 of a calendar date, or nothing for an impossible date.
std::optional<double> daysFromDate(int year, int month, int day);
std::optional<double> parseDateText(std::u16string_view text);

}  // namespace jet::sql
