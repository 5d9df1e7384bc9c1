// Bounds-checked little-endian reads from file bytes. Every read of page content goes through
// a ByteView, so a damaged length or offset turns into a "corrupt page" error naming the page
// instead of a read outside the buffer.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "jet/util/damage.h"
#include "jet/util/error.h"

namespace jet {

// The error for bytes that cannot be what the format says they are.
[[noreturn]] inline void throwCorrupt(uint32_t page, const std::string& detail) {
  throw DamageError({}, page, "page " + std::to_string(page) + " " + detail);
}

class ByteView {
 public:
  ByteView() = default;
  ByteView(std::span<const uint8_t> data, uint32_t page) : data_(data), page_(page) {}

  size_t size() const { return data_.size(); }
  uint32_t page() const { return page_; }
  std::span<const uint8_t> bytes() const { return data_; }
  bool has(size_t offset, size_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }

  uint8_t u8(size_t offset) const {
    check(offset, 1);
    return data_[offset];
  }
  uint16_t u16(size_t offset) const {
    check(offset, 2);
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  uint32_t u32(size_t offset) const {
    check(offset, 4);
    return static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<uint32_t>(data_[offset + 3]) << 24);
  }
  int16_t i16(size_t offset) const { return static_cast<int16_t>(u16(offset)); }
  int32_t i32(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
  uint64_t u64(size_t offset) const {
    return static_cast<uint64_t>(u32(offset)) | (static_cast<uint64_t>(u32(offset + 4)) << 32);
  }
  double f64(size_t offset) const {
    uint64_t bits = u64(offset);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  float f32(size_t offset) const {
    uint32_t bits = u32(offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  ByteView sub(size_t offset, size_t length) const {
    check(offset, length);
    return ByteView(data_.subspan(offset, length), page_);
  }
  ByteView from(size_t offset) const {
    check(offset, 0);
    return ByteView(data_.subspan(offset), page_);
  }

 private:
  // The check stays a compare and a branch where it is inlined; the message is built out of
  // line, only when the bytes are bad.
  void check(size_t offset, size_t length) const {
    if (!has(offset, length)) [[unlikely]] throwOutOfBounds(page_, offset);
  }
  [[noreturn, gnu::noinline, gnu::cold]] static void throwOutOfBounds(uint32_t page,
                                                                      size_t offset) {
    throwCorrupt(page, "has a field outside its bounds (offset " + std::to_string(offset) + ")");
  }

  std::span<const uint8_t> data_;
  uint32_t page_ = 0;
};

// Little-endian stores for code that builds pages.
inline void putU16(std::span<uint8_t> out, size_t offset, uint16_t v) {
  out[offset] = static_cast<uint8_t>(v);
  out[offset + 1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(std::span<uint8_t> out, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace jet
