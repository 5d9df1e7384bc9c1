// Little-endian stores into page buffers, and an appending builder for variable-length
// structures. Every store is bounds-checked: a field that would run past the buffer throws.
// Reads go through ByteView (byte_view.h), the one reader of little-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "jet/util/byte_view.h"

namespace jet::le {

inline void checkRange(size_t size, size_t offset, size_t width) {
  if (offset > size || width > size - offset) [[unlikely]] throwPastEnd(size, offset);
}

inline void put8(std::span<uint8_t> b, size_t off, uint8_t v) {
  checkRange(b.size(), off, 1);
  b[off] = v;
}
inline void put16(std::span<uint8_t> b, size_t off, uint16_t v) {
  checkRange(b.size(), off, 2);
  b[off] = static_cast<uint8_t>(v);
  b[off + 1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(std::span<uint8_t> b, size_t off, uint32_t v) {
  checkRange(b.size(), off, 4);
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void put64(std::span<uint8_t> b, size_t off, uint64_t v) {
  checkRange(b.size(), off, 8);
  for (int i = 0; i < 8; ++i) b[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putDouble(std::span<uint8_t> b, size_t off, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  put64(b, off, bits);
}

// Appending writer for variable-length structures (table definitions, rows, property blobs).
class ByteBuilder {
 public:
  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void u64(uint64_t v) {
    for (int i = 0; i < 8; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
  }
  void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void append(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  // UCS-2LE, no terminator.
  void utf16(std::u16string_view s) {
    for (char16_t c : s) u16(static_cast<uint16_t>(c));
  }
  size_t size() const { return bytes_.size(); }
  std::vector<uint8_t>& bytes() { return bytes_; }
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace jet::le
