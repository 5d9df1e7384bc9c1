#include "tools/dump_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "jet/util/civil_date.h"
#include "jet/util/unicode.h"

namespace tools {

std::string formatDateTime(double days) {
  // The engine's one split of a date value, to the millisecond the oracles print.
  const auto moment = jet::momentOfJetDate(days, 1000);
  if (!moment) return formatDouble(days);
  const jet::CivilDate& d = moment->date;
  const int64_t ms = moment->ticks, secs = ms / 1000;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(d.year),
                d.month, d.day, static_cast<long long>(secs / 3600),
                static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
  std::string out = buf;
  if (ms % 1000 != 0) {
    std::snprintf(buf, sizeof buf, ".%03lld", static_cast<long long>(ms % 1000));
    out += buf;
  }
  return out;
}

std::string formatCurrency(int64_t scaled) {
  bool neg = scaled < 0;
  uint64_t mag = neg ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string out = std::to_string(mag / 10000);
  uint64_t frac = mag % 10000;
  if (frac != 0) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04llu", static_cast<unsigned long long>(frac));
    std::string f = buf;
    while (!f.empty() && f.back() == '0') f.pop_back();
    out += "." + f;
  }
  return neg ? "-" + out : out;
}

std::string formatDecimal(const jet::Decimal& dec) {
  // 96-bit magnitude to decimal digits by repeated division.
  uint32_t w[3] = {dec.mantissa[2], dec.mantissa[1], dec.mantissa[0]};  // most significant first
  std::string digits;
  while (w[0] || w[1] || w[2]) {
    uint64_t rem = 0;
    for (auto& part : w) {
      uint64_t cur = (rem << 32) | part;
      part = static_cast<uint32_t>(cur / 10);
      rem = cur % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + rem));
  }
  if (digits.size() <= dec.scale) digits.insert(0, dec.scale + 1 - digits.size(), '0');
  if (dec.scale > 0) {
    digits.insert(digits.size() - dec.scale, ".");
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  bool zero = digits == "0";
  return dec.negative && !zero ? "-" + digits : digits;
}

std::string formatDouble(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  // Prefer the shortest form that reads back the same.
  for (int prec = 1; prec <= 17; ++prec) {
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*g", prec, v);
    if (std::strtod(shorter, nullptr) == v) return shorter;
  }
  return buf;
}

std::string formatFloat(float v) {
  if (std::isnan(v) || std::isinf(v)) return formatDouble(v);
  for (int prec = 1; prec <= 9; ++prec) {
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*g", prec, static_cast<double>(v));
    if (std::strtof(shorter, nullptr) == v) return shorter;
  }
  return formatDouble(v);
}

std::string formatHex(const jet::Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

std::string formatGuid(const jet::Guid& g) {
  // The first three groups are little-endian in storage.
  static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "{";
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    uint8_t b = g.bytes[kOrder[i]];
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out + "}";
}

std::string formatPlain(const jet::Value& v) {
  struct Visitor {
    std::string operator()(jet::Null) const { return {}; }
    std::string operator()(bool b) const { return b ? "1" : "0"; }
    std::string operator()(uint8_t x) const { return std::to_string(x); }
    std::string operator()(int16_t x) const { return std::to_string(x); }
    std::string operator()(int32_t x) const { return std::to_string(x); }
    std::string operator()(jet::Currency c) const { return formatCurrency(c.scaled); }
    std::string operator()(float f) const { return formatFloat(f); }
    std::string operator()(double d) const { return formatDouble(d); }
    std::string operator()(jet::DateTime t) const { return formatDateTime(t.days); }
    std::string operator()(const std::u16string& s) const { return jet::toUtf8(s); }
    std::string operator()(const jet::Bytes& b) const { return formatHex(b); }
    std::string operator()(const jet::Guid& g) const { return formatGuid(g); }
    std::string operator()(const jet::Decimal& d) const { return formatDecimal(d); }
  };
  return std::visit(Visitor{}, v.storage());
}

std::string formatCsv(const jet::Value& v) {
  if (!v.is<std::u16string>()) return formatPlain(v);
  std::string text = formatPlain(v);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

std::string formatJson(const jet::Value& v) {
  if (v.isNull()) return "null";
  if (auto* b = v.getIf<bool>()) return *b ? "true" : "false";
  if (v.is<uint8_t>() || v.is<int16_t>() || v.is<int32_t>()) return formatPlain(v);
  if (auto* d = v.getIf<double>()) {
    return std::isfinite(*d) ? formatDouble(*d) : jsonString(formatDouble(*d));
  }
  if (auto* f = v.getIf<float>()) {
    return std::isfinite(*f) ? formatFloat(*f) : jsonString(formatFloat(*f));
  }
  return jsonString(formatPlain(v));
}

std::string typeName(jet::ColumnType type) {
  switch (type) {
    case jet::ColumnType::Boolean: return "Yes/No";
    case jet::ColumnType::Byte: return "Byte";
    case jet::ColumnType::Integer: return "Integer";
    case jet::ColumnType::Long: return "Long";
    case jet::ColumnType::Currency: return "Currency";
    case jet::ColumnType::Single: return "Single";
    case jet::ColumnType::Double: return "Double";
    case jet::ColumnType::DateTime: return "DateTime";
    case jet::ColumnType::Binary: return "Binary";
    case jet::ColumnType::Text: return "Text";
    case jet::ColumnType::OLE: return "OLE";
    case jet::ColumnType::Memo: return "Memo";
    case jet::ColumnType::Guid: return "GUID";
    case jet::ColumnType::Numeric: return "Decimal";
    default: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "Type0x%02X", static_cast<unsigned>(type));
      return buf;
    }
  }
}

}  // namespace tools
