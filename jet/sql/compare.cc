#include "jet/sql/compare.h"

#include <cmath>
#include <cstring>

#include "jet/util/error.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

double decimalToDouble(const Decimal& d) {
  double m = d.mantissa[0] + d.mantissa[1] * 4294967296.0 + d.mantissa[2] * 18446744073709551616.0;
  m /= std::pow(10.0, d.scale);
  return d.negative ? -m : m;
}

std::pair<const uint8_t*, size_t> bytesOf(const Value& v) {
  if (const Bytes* b = v.getIf<Bytes>()) return {b->data(), b->size()};
  if (const Guid* g = v.getIf<Guid>()) return {g->bytes.data(), g->bytes.size()};
  return {nullptr, 0};
}

}  // namespace

ValueClass classOf(const Value& v) {
  if (v.isNull()) return ValueClass::Null;
  if (v.is<std::u16string>()) return ValueClass::Text;
  if (v.is<Bytes>() || v.is<Guid>()) return ValueClass::Binary;
  return ValueClass::Number;
}

ValueClass classOf(ColumnType type) {
  switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo: return ValueClass::Text;
    case ColumnType::Binary:
    case ColumnType::OLE:
    case ColumnType::Guid: return ValueClass::Binary;
    default: return ValueClass::Number;
  }
}

bool joinable(ColumnType type) {
  return type != ColumnType::Memo && type != ColumnType::OLE && type != ColumnType::Binary &&
         type != ColumnType::Complex;
}

double toNumber(const Value& v) {
  return std::visit(
      [](const auto& x) -> double {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, bool>) return x ? -1.0 : 0.0;
        else if constexpr (std::is_same_v<T, uint8_t> || std::is_same_v<T, int16_t> ||
                           std::is_same_v<T, int32_t> || std::is_same_v<T, float> ||
                           std::is_same_v<T, double>)
          return static_cast<double>(x);
        else if constexpr (std::is_same_v<T, Currency>) return x.scaled / 10000.0;
        else if constexpr (std::is_same_v<T, DateTime>) return x.days;
        else if constexpr (std::is_same_v<T, Decimal>) return decimalToDouble(x);
        else return 0.0;
      },
      v.storage());
}

std::optional<int> compareValues(const Value& a, const Value& b) {
  ValueClass ca = classOf(a), cb = classOf(b);
  if (ca == ValueClass::Null || cb == ValueClass::Null) return std::nullopt;
  if (ca != cb) {
    throw Error(errc::kTypeMismatch, "Data type mismatch in criteria expression: " +
                                         std::string(ca == ValueClass::Text ? "text" : "a number") +
                                         " is compared with " +
                                         std::string(cb == ValueClass::Text ? "text" : "a number") + ".");
  }
  switch (ca) {
    case ValueClass::Text: return compareText(a.get<std::u16string>(), b.get<std::u16string>());
    case ValueClass::Binary: {
      auto [pa, na] = bytesOf(a);
      auto [pb, nb] = bytesOf(b);
      int c = std::memcmp(pa, pb, na < nb ? na : nb);
      if (c != 0) return c < 0 ? -1 : 1;
      return na == nb ? 0 : (na < nb ? -1 : 1);
    }
    default: {
      double x = toNumber(a), y = toNumber(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
}

uint64_t hashNumber(double d) {
  if (d == 0) d = 0;  // -0 and 0 are equal
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  bits ^= bits >> 33;
  bits *= 0xff51afd7ed558ccdull;
  bits ^= bits >> 33;
  return bits;
}

uint64_t hashValue(const Value& v) {
  switch (classOf(v)) {
    case ValueClass::Null: return 0;
    case ValueClass::Text: return hashText(v.get<std::u16string>());
    case ValueClass::Binary: {
      auto [p, n] = bytesOf(v);
      uint64_t h = 1469598103934665603ull;
      for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
      return h;
    }
    default: return hashNumber(toNumber(v));
  }
}

}  // namespace jet::sql
