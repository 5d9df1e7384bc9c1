#include "jet/sql/date_text.h"

#include "jet/util/civil_date.h"

namespace jet::sql {
namespace {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Splits into numbers and separators; returns false on anything unexpected.
struct Scan {
  std::u16string_view s;
  size_t i = 0;
  void blanks() {
    while (i < s.size() && s[i] == u' ') ++i;
  }
  bool number(int& out, int maxDigits) {
    size_t start = i;
    long v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && i - start < size_t(maxDigits)) {
      v = v * 10 + (s[i] - u'0');
      ++i;
    }
    if (i == start) return false;
    out = static_cast<int>(v);
    return true;
  }
  bool symbol(char16_t c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
};

}  // namespace

std::optional<double> daysFromDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  int last = kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
  if (day > last) return std::nullopt;
  return static_cast<double>(jetDayOfDate(year, unsigned(month), unsigned(day)));
}

std::optional<double> parseDateText(std::u16string_view text) {
  Scan sc{text};
  sc.blanks();
  int a = 0, b = 0, c = 0;
  int year, month, day;
  if (!sc.number(a, 4)) return std::nullopt;
  char16_t sep = sc.i < text.size() ? text[sc.i] : u'\0';
  if (sep != u'-' && sep != u'/') return std::nullopt;
  ++sc.i;
  if (!sc.number(b, 2) || !sc.symbol(sep) || !sc.number(c, 4)) return std::nullopt;
  if (a >= 100) {  // yyyy-mm-dd or yyyy/mm/dd
    year = a, month = b, day = c;
  } else if (sep == u'/') {  // m/d/yyyy, as Jet reads #...# literals
    month = a, day = b, year = c;
  } else {
    return std::nullopt;
  }
  std::optional<double> days = daysFromDate(year, month, day);
  if (!days) return std::nullopt;
  sc.blanks();
  if (sc.i < text.size()) {
    int h = 0, mi = 0, se = 0;
    if (!sc.number(h, 2) || !sc.symbol(u':') || !sc.number(mi, 2)) return std::nullopt;
    if (sc.symbol(u':') && !sc.number(se, 2)) return std::nullopt;
    sc.blanks();
    std::u16string_view rest = text.substr(sc.i);
    if (rest == u"AM" || rest == u"am" || rest == u"PM" || rest == u"pm") {
      if (h < 1 || h > 12) return std::nullopt;
      if (h == 12) h = 0;
      if (rest[0] == u'P' || rest[0] == u'p') h += 12;
      sc.i = text.size();
    }
    sc.blanks();
    if (sc.i < text.size() || h > 23 || mi > 59 || se > 59) return std::nullopt;
    *days += (h * 3600 + mi * 60 + se) / 86400.0;
  }
  return days;
}

}  // namespace jet::sql
