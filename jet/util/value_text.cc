#include "jet/util/value_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <type_traits>

#include "jet/util/civil_date.h"

namespace jet {
namespace {

std::u16string ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string floating(double v, int digits) {
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v < 0 ? u"-Infinity" : u"Infinity";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", digits, v);
  std::string s = buf;
  // %G writes E+020 style exponents on some platforms and E+20 on others: keep two digits
  // at least, no leading zeros beyond that.
  const auto e = s.find('E');
  if (e != std::string::npos) {
    std::string mantissa = s.substr(0, e), exponent = s.substr(e + 2);
    while (exponent.size() > 2 && exponent.front() == '0') exponent.erase(0, 1);
    s = mantissa + "E" + s[e + 1] + exponent;
  }
  return ascii(s);
}

std::u16string currency(int64_t scaled) {
  const bool negative = scaled < 0;
  // Magnitude without overflow for the most negative value.
  const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(scaled) : uint64_t(scaled);
  std::string s = std::to_string(magnitude / 10000);
  uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    std::string f = std::to_string(fraction);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return ascii(negative ? "-" + s : s);
}

std::u16string decimalValue(const Decimal& d) {
  // 96-bit magnitude to decimal digits by repeated division.
  std::array<uint32_t, 3> m = d.mantissa;
  std::string digits;
  while (m[0] != 0 || m[1] != 0 || m[2] != 0) {
    uint64_t remainder = 0;
    for (int i = 2; i >= 0; --i) {
      const uint64_t cur = (remainder << 32) | m[i];
      m[i] = static_cast<uint32_t>(cur / 10);
      remainder = cur % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + remainder));
  }
  if (digits.empty()) digits = "0";
  if (d.scale > 0) {
    if (digits.size() <= d.scale) digits.insert(0, d.scale - digits.size() + 1, '0');
    digits.insert(digits.size() - d.scale, ".");
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  return ascii(d.negative && !zero ? "-" + digits : digits);
}

// The calendar date, and the time of day unless it is midnight, to the nearest second: Access
// shows 19.9999 s as 20 s (Jackcess, ColumnImpl's date handling), mdbtools' mdb_date_to_tm
// adds half a second before it cuts, and Automation's Date to String conversion rounds to the
// second (Microsoft KB 875526 and 297463). So 23:59:59.7 is the next day's midnight.
std::u16string dateTime(double days) {
  const auto moment = momentOfJetDate(days, 1);
  if (!moment) return floating(days, 15);
  const CivilDate& d = moment->date;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", static_cast<long long>(d.year), d.month, d.day);
  std::string s = buf;
  if (const int64_t seconds = moment->ticks; seconds != 0) {
    std::snprintf(buf, sizeof buf, " %02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    s += buf;
  }
  return ascii(s);
}

std::u16string guid(const Guid& g) {
  const auto& b = g.bytes;  // the first three groups are stored low byte first
  char buf[40];
  std::snprintf(buf, sizeof buf,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return ascii(buf);
}

std::u16string bytes(const Bytes& data) {
  std::u16string s;
  s.reserve(data.size() / 2 + 1);
  for (size_t i = 0; i < data.size(); i += 2) {
    const char16_t high = i + 1 < data.size() ? static_cast<char16_t>(data[i + 1] << 8) : 0;
    s.push_back(static_cast<char16_t>(high | data[i]));
  }
  return s;
}

}  // namespace

std::u16string textOf(const Value& value) {
  return std::visit(
      [](const auto& v) -> std::u16string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Null>) {
          return {};
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return v;
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? u"True" : u"False";
        } else if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                             std::is_same_v<T, int32_t>) {
          return ascii(std::to_string(static_cast<int64_t>(v)));
        } else if constexpr (std::is_same_v<T, float>) {
          return floating(v, 7);
        } else if constexpr (std::is_same_v<T, double>) {
          return floating(v, 15);
        } else if constexpr (std::is_same_v<T, Currency>) {
          return currency(v.scaled);
        } else if constexpr (std::is_same_v<T, DateTime>) {
          return dateTime(v.days);
        } else if constexpr (std::is_same_v<T, Decimal>) {
          return decimalValue(v);
        } else if constexpr (std::is_same_v<T, Guid>) {
          return guid(v);
        } else {
          static_assert(std::is_same_v<T, Bytes>);
          return bytes(v);
        }
      },
      value.storage());
}

}  // namespace jet
