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

// The error for a field past the end of bytes that are no page of the file: a fault of the
// code that built them, not damage. Out of line, so that range checks inline to a compare and
// a branch.
[[noreturn, gnu::noinline, gnu::cold]] inline void throwPastEnd(size_t size, size_t offset) {
  throw Error(errc::kUnspecified, "Field at offset " + std::to_string(offset) +
                                      " runs past the end of a " + std::to_string(size) +
                                      "-byte buffer.");
}

// The error for bytes that cannot be what the format says they are.
[[noreturn]] inline void throwCorrupt(uint32_t page, const std::string& detail) {
  throw DamageError({}, page, "page " + std::to_string(page) + " " + detail);
}

class ByteView {
 public:
  ByteView() = default;
  ByteView(std::span<const uint8_t> data, uint32_t page) : data_(data), page_(page) {}
  // Bytes that are no page of the file (a buffer being built, a row copied out): a field past
  // their end is a fault of the caller, not damage of a page.
  explicit ByteView(std::span<const uint8_t> data) : data_(data), page_(kNoPage) {}

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
  static constexpr uint32_t kNoPage = UINT32_MAX;
  // The check stays a compare and a branch where it is inlined; the message is built out of
  // line, only when the bytes are bad.
  void check(size_t offset, size_t length) const {
    if (!has(offset, length)) [[unlikely]] throwOutOfBounds(page_, offset, data_.size());
  }
  [[noreturn, gnu::noinline, gnu::cold]] static void throwOutOfBounds(uint32_t page, size_t offset,
                                                                      size_t size) {
    if (page == kNoPage) throwPastEnd(size, offset);
    throwCorrupt(page, "has a field outside its bounds (offset " + std::to_string(offset) + ")");
  }

  std::span<const uint8_t> data_;
  uint32_t page_ = 0;
};

}  // namespace jet
