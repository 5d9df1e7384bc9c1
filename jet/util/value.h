// A field value: Null, or a value of one of the Jet column types. Text is UTF-16 throughout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace jet {

// Column type codes as stored in a table definition.
enum class ColumnType : uint8_t {
  Boolean = 0x01,   // Yes/No, kept in the null mask
  Byte = 0x02,
  Integer = 0x03,   // 16-bit
  Long = 0x04,      // 32-bit
  Currency = 0x05,  // 64-bit, scaled by 10^4
  Single = 0x06,
  Double = 0x07,
  DateTime = 0x08,  // double, days since 1899-12-30
  Binary = 0x09,
  Text = 0x0A,
  OLE = 0x0B,
  Memo = 0x0C,
  Guid = 0x0F,
  Numeric = 0x10,   // Decimal: 17 bytes
  Complex = 0x12,   // Access 2007+: refused by the reader
};

struct Null {
  friend bool operator==(Null, Null) = default;
};
struct Currency {
  int64_t scaled;  // value * 10000
  friend bool operator==(const Currency&, const Currency&) = default;
};
struct DateTime {
  double days;  // days since 1899-12-30; the fraction is the time of day
  friend bool operator==(const DateTime&, const DateTime&) = default;
};
struct Guid {
  std::array<uint8_t, 16> bytes;  // as stored
  friend bool operator==(const Guid&, const Guid&) = default;
};
struct Decimal {
  bool negative = false;
  uint8_t scale = 0;
  std::array<uint32_t, 3> mantissa{};  // 96-bit unsigned magnitude, least significant first
  friend bool operator==(const Decimal&, const Decimal&) = default;
};
using Bytes = std::vector<uint8_t>;

// The alternative index follows the declaration order below; do not reorder.
using ValueStorage = std::variant<Null, bool, uint8_t, int16_t, int32_t, Currency, float, double,
                                  DateTime, std::u16string, Bytes, Guid, Decimal>;

class Value {
 public:
  Value() = default;
  template <typename T>
  Value(T v) : v_(std::move(v)) {}  // NOLINT: implicit on purpose, values are plain data

  bool isNull() const { return std::holds_alternative<Null>(v_); }
  template <typename T>
  bool is() const { return std::holds_alternative<T>(v_); }
  template <typename T>
  const T& get() const { return std::get<T>(v_); }
  template <typename T>
  const T* getIf() const { return std::get_if<T>(&v_); }
  const ValueStorage& storage() const { return v_; }
  // For decoders that refill one Value per row and want to reuse its text or byte buffer.
  ValueStorage& storage() { return v_; }

  friend bool operator==(const Value&, const Value&) = default;

 private:
  ValueStorage v_;
};

}  // namespace jet
