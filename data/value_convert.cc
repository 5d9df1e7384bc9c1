#include "data/value_convert.h"

#include <cmath>
#include <cstdlib>

#include "data/error.h"
#include "data/text.h"
#include "jet/sql/compare.h"
#include "jet/sql/date_text.h"
#include "jet/util/value_text.h"

namespace data {
namespace {

using jet::ColumnType;
using jet::Value;

[[noreturn]] void mismatch(const ColumnTarget& c, const char* what) {
  fail(errc::kTypeMismatch, "The column '" + toUtf8(c.name) + "' cannot take " + what + ".");
}

[[noreturn]] void outOfRange(const ColumnTarget& c, const std::string& why) {
  fail(errc::kIntegrityViolation, "The value is refused by the column '" + toUtf8(c.name) +
                                      "': " + why + ".");
}

std::optional<double> parseNumber(std::u16string_view text) {
  std::string s = toUtf8(text);
  size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  s = s.substr(b, e - b + 1);
  char* end = nullptr;
  double d = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(d)) return std::nullopt;
  if (s.find_first_of("xXpP") != std::string::npos || s.find("n") != std::string::npos) {
    return std::nullopt;  // hex floats, inf, nan
  }
  return d;
}

// A number from any value that has one; texts must read as a number.
double numberFrom(const Value& v, const ColumnTarget& c) {
  if (const auto* s = v.getIf<std::u16string>()) {
    if (auto d = parseNumber(*s)) return *d;
    mismatch(c, "a text that is not a number");
  }
  if (jet::sql::classOf(v) != jet::sql::ValueClass::Number) mismatch(c, "a binary value");
  return jet::sql::toNumber(v);
}

template <typename T>
T integral(double d, double lo, double hi, const ColumnTarget& c) {
  double r = std::nearbyint(d);  // round half to even, as Jet does
  if (!(r >= lo && r <= hi)) outOfRange(c, "the number is out of the column's range");
  return static_cast<T>(r);
}

}  // namespace

void convertInPlace(Value& v, const ColumnTarget& c) {
  if (v.isNull()) return;
  switch (c.type) {
    case ColumnType::Text:
    case ColumnType::Memo: {
      if (v.is<jet::Bytes>()) mismatch(c, "a binary value");
      const size_t limit = c.type == ColumnType::Text ? (c.size > 0 ? size_t(c.size) : 255) : 1073741823;
      const auto check = [&](const std::u16string& text) {
        if (text.size() > limit) {
          outOfRange(c, "the text has " + std::to_string(text.size()) + " characters, more than its " +
                            std::to_string(limit));
        }
      };
      // A text is its own text form: the value stays as it came.
      if (const auto* text = v.getIf<std::u16string>()) return check(*text);
      std::u16string text = jet::textOf(v);
      check(text);
      v = Value(std::move(text));
      return;
    }
    case ColumnType::Boolean: {
      if (const auto* s = v.getIf<std::u16string>()) {
        if (equalsIgnoreCase(*s, u"True") || equalsIgnoreCase(*s, u"Yes")) return void(v = Value(true));
        if (equalsIgnoreCase(*s, u"False") || equalsIgnoreCase(*s, u"No")) return void(v = Value(false));
      }
      v = Value(numberFrom(v, c) != 0);
      return;
    }
    case ColumnType::Byte: v = Value(integral<uint8_t>(numberFrom(v, c), 0, 255, c)); return;
    case ColumnType::Integer: v = Value(integral<int16_t>(numberFrom(v, c), -32768, 32767, c)); return;
    case ColumnType::Long:
      v = Value(integral<int32_t>(numberFrom(v, c), -2147483648.0, 2147483647.0, c));
      return;
    case ColumnType::Single: {
      double d = numberFrom(v, c);
      if (std::fabs(d) > 3.402823466e38) outOfRange(c, "the number is too large");
      v = Value(static_cast<float>(d));
      return;
    }
    case ColumnType::Double: v = Value(numberFrom(v, c)); return;
    case ColumnType::Currency: {
      if (v.is<jet::Currency>()) return;
      double d = std::nearbyint(numberFrom(v, c) * 10000.0);
      if (!(std::fabs(d) < 9.2e18)) outOfRange(c, "the amount is too large");
      v = Value(jet::Currency{static_cast<int64_t>(d)});
      return;
    }
    case ColumnType::DateTime: {
      if (v.is<jet::DateTime>()) return;
      if (const auto* s = v.getIf<std::u16string>()) {
        if (auto days = jet::sql::parseDateText(*s)) return void(v = Value(jet::DateTime{*days}));
        mismatch(c, "a text that is not a date");
      }
      double d = numberFrom(v, c);
      if (d < -657434.0 || d > 2958465.99999) outOfRange(c, "the date is out of range");
      v = Value(jet::DateTime{d});
      return;
    }
    case ColumnType::Guid:
      if (v.is<jet::Guid>()) return;
      mismatch(c, "a value that is not a GUID");
    case ColumnType::Binary:
    case ColumnType::OLE:
      if (v.is<jet::Bytes>()) return;
      mismatch(c, "a value that is not binary");
    default: mismatch(c, "values (its type is not supported)");
  }
}

Value convertForColumn(Value v, const ColumnTarget& c) {
  convertInPlace(v, c);
  return v;
}

}  // namespace data
