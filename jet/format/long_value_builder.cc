#include "jet/format/long_value_builder.h"

#include <cassert>

#include "jet/util/byte_builder.h"
#include "jet/format/long_value.h"

namespace jet {
namespace {
std::vector<uint8_t> header(uint32_t lengthAndFlags, uint32_t pointer) {
  le::ByteBuilder b;
  b.u32(lengthAndFlags);
  b.u32(pointer);
  b.u32(0);
  return b.take();
}
}  // namespace

std::vector<uint8_t> inlineLongValueHeader(std::span<const uint8_t> data) {
  assert(data.size() <= kLongValueInlineMax);
  auto h = header(static_cast<uint32_t>(data.size()) | kLongValueInline, 0);
  h.insert(h.end(), data.begin(), data.end());
  return h;
}

std::vector<uint8_t> singleRowLongValueHeader(uint32_t length, uint32_t rowPointer) {
  return header((length & kLongValueLengthMask) | kLongValueSingleRow, rowPointer);
}

std::vector<uint8_t> chainLongValueHeader(uint32_t length, uint32_t firstRowPointer) {
  return header(length & kLongValueLengthMask, firstRowPointer);
}

std::vector<uint8_t> chainPiece(uint32_t nextRowPointer, std::span<const uint8_t> data) {
  le::ByteBuilder b;
  b.u32(nextRowPointer);
  b.append(data);
  return b.take();
}

}  // namespace jet
