#include "jet/format/row_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "jet/util/error.h"
#include "jet/util/byte_builder.h"
#include "jet/format/text_encoding.h"

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

// Appends the variable-length bytes of a Text or Binary value to `out`.
void appendVariableBytes(const ColumnDef& c, const Value& v, std::vector<uint8_t>& out) {
  switch (c.type) {
    case ColumnType::Text: {
      auto p = v.getIf<std::u16string>();
      if (!p) throw mismatch(c);
      if (p->size() * 2 > c.length) {
        throw Error(errc::kDataOverflow, "The text is longer than column " + utf8Name(c.name) + " allows (" +
                                             std::to_string(c.length / 2) + " characters).");
      }
      appendEncodedText(*p, c.isCompressedUnicode(), out);
      return;
    }
    case ColumnType::Binary: {
      auto p = v.getIf<Bytes>();
      if (!p) throw mismatch(c);
      if (p->size() > c.length) throw Error(errc::kDataOverflow, "The value is longer than column " + utf8Name(c.name) + " allows.");
      out.insert(out.end(), p->begin(), p->end());
      return;
    }
    default: throw mismatch(c);
  }
}

Error tooLarge(size_t bytes) {
  return Error(errc::kUnspecified, "Record is too large: " + std::to_string(bytes) + " bytes, a row can hold at most " +
                                       std::to_string(kMaxRecordSize) + ".");
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

std::span<const uint8_t> RowEncoder::encode(const TableDef& t, RowValues values, const LongValueStore& store) {
  if (values.size() != t.columns.size()) throw Error(errc::kUnspecified, "Row value count does not match the columns.");
  const size_t fixedSize = t.fixedAreaSize();
  const size_t maskBytes = (size_t{t.maxColumns} + 7) / 8;
  row_.assign(2 + fixedSize, 0);
  le::put16(row_, 0, t.maxColumns);

  // When the variable columns take their slots in column order (as every table made here
  // does), their bytes go straight after the fixed area; otherwise they gather in var_ and
  // are put in slot order at the end.
  int varSlots = 0;
  bool inSlotOrder = true;
  for (const auto& c : t.columns) {
    if (c.isFixed()) continue;
    if (c.varIndex < varSlots) inSlotOrder = false;
    varSlots = std::max(varSlots, c.varIndex + 1);
  }
  std::vector<uint8_t>& sink = inSlotOrder ? row_ : var_;
  var_.clear();
  // Per slot: where its bytes start in the sink and how many; a slot no value reaches stays
  // empty.
  slots_.assign(static_cast<size_t>(varSlots), {0, 0});
  // The mask goes after the variable part; its bits are gathered here first.
  mask_.assign(maskBytes, 0);
  auto setBit = [&](const ColumnDef& c) {
    if (size_t{c.number} / 8 >= maskBytes) throw Error(errc::kUnspecified, "Column outside the null mask.");
    mask_[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8));
  };

  for (size_t i = 0; i < t.columns.size(); ++i) {
    const auto& c = t.columns[i];
    const Value& v = values[i];
    if (c.type == ColumnType::Boolean) {
      bool on = false;
      if (auto p = v.getIf<bool>()) on = *p;
      else if (v.isNull()) on = false;
      else if (auto d = asNumber(v)) on = *d != 0;
      else throw mismatch(c);
      if (on) setBit(c);
      continue;
    }
    if (v.isNull()) continue;
    setBit(c);
    if (c.isFixed()) {
      if (size_t{c.fixedOffset} + c.length > fixedSize) throw Error(errc::kUnspecified, "Column outside the fixed area.");
      putFixed(c, v, std::span<uint8_t>(row_.data(), 2 + fixedSize).subspan(2 + c.fixedOffset, c.length));
      continue;
    }
    const size_t start = sink.size();
    if (c.isLongValue()) {
      const std::vector<uint8_t> header = store(c, longValueBytes(c, v));
      sink.insert(sink.end(), header.begin(), header.end());
    } else {
      appendVariableBytes(c, v, sink);
    }
    slots_[c.varIndex] = {start, sink.size() - start};
  }

  if (varSlots > 0) {
    size_t dataSize = 0;
    for (const auto& [start, size] : slots_) dataSize += size;
    const size_t eod = 2 + fixedSize + dataSize;
    const size_t total = eod + 2 * size_t(varSlots) + 4 + maskBytes;
    if (total > kMaxRecordSize) throw tooLarge(total);
    if (!inSlotOrder) {
      row_.reserve(total);
      for (const auto& [start, size] : slots_) {
        row_.insert(row_.end(), var_.begin() + static_cast<std::ptrdiff_t>(start),
                    var_.begin() + static_cast<std::ptrdiff_t>(start + size));
      }
    }
    // The tail: end of data, slot offsets last slot first, slot count. Every offset is below
    // kMaxRecordSize, so each fits 16 bits; the buffer is sized to hold them all.
    row_.resize(eod + 2 * size_t(varSlots) + 4);
    uint8_t* p = row_.data() + eod;
    auto put = [&p](size_t v) {
      *p++ = static_cast<uint8_t>(v);
      *p++ = static_cast<uint8_t>(v >> 8);
    };
    put(eod);
    size_t offset = eod;
    for (int s = varSlots - 1; s >= 0; --s) {
      offset -= slots_[s].second;  // slot s starts where the slots after it begin, less its size
      put(offset);
    }
    put(static_cast<size_t>(varSlots));
  }
  row_.insert(row_.end(), mask_.begin(), mask_.end());
  if (row_.size() > kMaxRecordSize) throw tooLarge(row_.size());
  return row_;
}

std::vector<uint8_t> buildRow(const TableDef& t, RowValues values, const LongValueStore& store) {
  RowEncoder encoder;
  const auto bytes = encoder.encode(t, values, store);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace jet
