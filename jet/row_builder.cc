#include "jet/row_builder.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "jet/error.h"
#include "jet/le_bytes.h"
#include "jet/text_encoding.h"

namespace jet {
namespace {

std::string utf8Name(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

Error mismatch(const ColumnDef& c) {
  return Error(errc::kTypeMismatch, "The value does not fit the type of column " + utf8Name(c.name) + ".");
}

// Numeric view of a value for the number columns; nullopt when not a number.
std::optional<double> asNumber(const Value& v) {
  if (auto p = v.getIf<bool>()) return *p ? -1.0 : 0.0;
  if (auto p = v.getIf<uint8_t>()) return *p;
  if (auto p = v.getIf<int16_t>()) return *p;
  if (auto p = v.getIf<int32_t>()) return *p;
  if (auto p = v.getIf<float>()) return *p;
  if (auto p = v.getIf<double>()) return *p;
  if (auto p = v.getIf<Currency>()) return static_cast<double>(p->scaled) / 10000.0;
  if (auto p = v.getIf<DateTime>()) return p->days;
  return std::nullopt;
}

int64_t integral(const ColumnDef& c, const Value& v, int64_t lo, int64_t hi) {
  int64_t n;
  if (auto p = v.getIf<int32_t>()) n = *p;
  else if (auto p = v.getIf<int16_t>()) n = *p;
  else if (auto p = v.getIf<uint8_t>()) n = *p;
  else if (auto p = v.getIf<bool>()) n = *p ? -1 : 0;
  else if (auto d = asNumber(v); d && std::isfinite(*d) && std::nearbyint(*d) == *d) n = static_cast<int64_t>(*d);
  else throw mismatch(c);
  if (n < lo || n > hi) throw mismatch(c);
  return n;
}

void putFixed(const ColumnDef& c, const Value& v, std::span<uint8_t> at) {
  switch (c.type) {
    case ColumnType::Byte: le::put8(at, 0, static_cast<uint8_t>(integral(c, v, 0, 255))); break;
    case ColumnType::Integer: le::put16(at, 0, static_cast<uint16_t>(integral(c, v, INT16_MIN, INT16_MAX))); break;
    case ColumnType::Long: le::put32(at, 0, static_cast<uint32_t>(integral(c, v, INT32_MIN, INT32_MAX))); break;
    case ColumnType::Currency: {
      int64_t scaled;
      if (auto p = v.getIf<Currency>()) scaled = p->scaled;
      else if (auto d = asNumber(v); d && std::isfinite(*d) && std::fabs(*d) < 9.2e14) scaled = std::llround(*d * 10000.0);
      else throw mismatch(c);
      le::put64(at, 0, static_cast<uint64_t>(scaled));
      break;
    }
    case ColumnType::Single: {
      auto d = asNumber(v);
      if (!d) throw mismatch(c);
      const float f = static_cast<float>(*d);
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      le::put32(at, 0, bits);
      break;
    }
    case ColumnType::Double:
    case ColumnType::DateTime: {
      auto d = asNumber(v);
      if (!d || !std::isfinite(*d)) throw mismatch(c);
      le::putDouble(at, 0, *d);
      break;
    }
    case ColumnType::Guid: {
      auto p = v.getIf<Guid>();
      if (!p) throw mismatch(c);
      std::memcpy(at.data(), p->bytes.data(), 16);
      break;
    }
    default: throw mismatch(c);
  }
}

std::vector<uint8_t> variableBytes(const ColumnDef& c, const Value& v) {
  switch (c.type) {
    case ColumnType::Text: {
      auto p = v.getIf<std::u16string>();
      if (!p) throw mismatch(c);
      if (p->size() * 2 > c.length) {
        throw Error(errc::kDataOverflow, "The text is longer than column " + utf8Name(c.name) + " allows (" +
                                             std::to_string(c.length / 2) + " characters).");
      }
      return encodeText(*p, c.isCompressedUnicode());
    }
    case ColumnType::Binary: {
      auto p = v.getIf<Bytes>();
      if (!p) throw mismatch(c);
      if (p->size() > c.length) throw Error(errc::kDataOverflow, "The value is longer than column " + utf8Name(c.name) + " allows.");
      return *p;
    }
    default: throw mismatch(c);
  }
}

}  // namespace

std::vector<uint8_t> longValueBytes(const ColumnDef& c, const Value& v) {
  if (c.type == ColumnType::Memo) {
    auto p = v.getIf<std::u16string>();
    if (!p) throw mismatch(c);
    return encodeText(*p, c.isCompressedUnicode());
  }
  auto p = v.getIf<Bytes>();
  if (!p) throw mismatch(c);
  return *p;
}

std::vector<uint8_t> buildRow(const TableDef& t, std::span<const Value> values, const LongValueStore& store) {
  if (values.size() != t.columns.size()) throw Error(errc::kUnspecified, "Row value count does not match the columns.");
  const size_t fixedSize = t.fixedAreaSize();
  const size_t maskBytes = (size_t{t.maxColumns} + 7) / 8;
  std::vector<uint8_t> mask(maskBytes, 0);
  std::vector<uint8_t> row(2 + fixedSize, 0);
  le::put16(row, 0, t.maxColumns);

  int varSlots = 0;
  for (const auto& c : t.columns) {
    if (!c.isFixed()) varSlots = std::max(varSlots, c.varIndex + 1);
  }
  std::vector<std::vector<uint8_t>> varData(varSlots);

  for (size_t i = 0; i < t.columns.size(); ++i) {
    const auto& c = t.columns[i];
    const Value& v = values[i];
    if (c.type == ColumnType::Boolean) {
      bool on = false;
      if (auto p = v.getIf<bool>()) on = *p;
      else if (v.isNull()) on = false;
      else if (auto d = asNumber(v)) on = *d != 0;
      else throw mismatch(c);
      if (on) mask[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8));
      continue;
    }
    if (v.isNull()) continue;
    mask[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8));
    if (c.isFixed()) {
      if (size_t{c.fixedOffset} + c.length > fixedSize) throw Error(errc::kUnspecified, "Column outside the fixed area.");
      putFixed(c, v, std::span<uint8_t>(row).subspan(2 + c.fixedOffset, c.length));
    } else if (c.isLongValue()) {
      varData[c.varIndex] = store(c, longValueBytes(c, v));
    } else {
      varData[c.varIndex] = variableBytes(c, v);
    }
  }

  if (varSlots > 0) {
    std::vector<uint16_t> offsets(varSlots);
    for (int s = 0; s < varSlots; ++s) {
      offsets[s] = static_cast<uint16_t>(row.size());
      row.insert(row.end(), varData[s].begin(), varData[s].end());
    }
    const size_t eod = row.size();
    if (eod + 2 * size_t(varSlots) + 4 + maskBytes > kMaxRecordSize) {
      throw Error(errc::kUnspecified, "Record is too large: " + std::to_string(eod + 2 * varSlots + 4 + maskBytes) +
                                          " bytes, a row can hold at most " + std::to_string(kMaxRecordSize) + ".");
    }
    le::ByteBuilder tail;
    tail.u16(static_cast<uint16_t>(eod));
    for (int s = varSlots - 1; s >= 0; --s) tail.u16(offsets[s]);
    tail.u16(static_cast<uint16_t>(varSlots));
    row.insert(row.end(), tail.bytes().begin(), tail.bytes().end());
  }
  row.insert(row.end(), mask.begin(), mask.end());
  if (row.size() > kMaxRecordSize) {
    throw Error(errc::kUnspecified, "Record is too large: " + std::to_string(row.size()) + " bytes, a row can hold at most " +
                                        std::to_string(kMaxRecordSize) + ".");
  }
  return row;
}

}  // namespace jet
