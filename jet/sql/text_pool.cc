#include "jet/sql/text_pool.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

#include "jet/util/error.h"
#include "jet/format/text_decoding.h"

namespace jet::sql {
namespace {

// Four characters per step: most texts are names and places of 5 to 30 characters.
uint64_t exactHash(std::u16string_view s) {
  constexpr uint64_t k = 0x9E3779B97F4A7C15ull;
  uint64_t h = s.size() * k;
  const char16_t* p = s.data();
  size_t n = s.size();
  for (; n >= 4; n -= 4, p += 4) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    h = (h ^ w) * k;
    h ^= h >> 32;
  }
  uint64_t tail = 0;
  for (size_t i = 0; i < n; ++i) tail |= uint64_t{p[i]} << (16 * i);
  h = (h ^ tail) * k;
  return h ^ (h >> 29);
}

constexpr uint64_t kIdMask = 0xFFFFFFFFull;

// The bucket comes from the same upper half that the slot keeps, so growing needs no texts.
size_t bucketOf(uint64_t tag, size_t mask) { return static_cast<size_t>(tag >> 32) & mask; }

}  // namespace

TextPool::TextPool() : slots_(64, 0) {}

uint32_t TextPool::intern(std::u16string_view text) {
  assert(!slots_.empty() && "intern() after freeze()");
  const uint64_t hash = exactHash(text);
  const uint64_t tag = hash & ~kIdMask;
  const size_t mask = slots_.size() - 1;
  size_t i = bucketOf(tag, mask);
  while (slots_[i] != 0) {
    if ((slots_[i] & ~kIdMask) == tag) {
      uint32_t id = static_cast<uint32_t>(slots_[i] & kIdMask) - 1;
      if (equals(id, text)) return id;
    }
    i = (i + 1) & mask;
  }
  const bool wide = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
  const size_t length = text.size() * (wide ? 2 : 1);
  if (size() >= UINT32_MAX - 1 || length >= kWide - bytes_.size()) {
    throw Error(errc::kUnspecified, "A result holds too many texts.");
  }
  uint32_t id = static_cast<uint32_t>(size());
  size_t at = bytes_.size();
  bytes_.resize(at + length);
  uint8_t* p = bytes_.data() + at;
  for (size_t k = 0; k < text.size(); ++k) {
    if (wide) {
      p[2 * k] = static_cast<uint8_t>(text[k]);
      p[2 * k + 1] = static_cast<uint8_t>(text[k] >> 8);
    } else {
      p[k] = static_cast<uint8_t>(text[k]);
    }
  }
  ends_.push_back(static_cast<uint32_t>(bytes_.size()) | (wide ? kWide : 0));
  slots_[i] = tag | (uint64_t{id} + 1);
  if (size() * 2 > slots_.size()) grow();
  return id;
}

bool TextPool::equals(uint32_t id, std::u16string_view text) const {
  const Span s = span(id);
  const uint8_t* p = bytes_.data() + s.begin;
  if (!s.wide) return s.end - s.begin == text.size() && sameAsOneByteText(p, text.size(), text.data());
  // Two-byte texts are kept little-endian, as char16_t lies in memory here.
  static_assert(std::endian::native == std::endian::little);
  return s.end - s.begin == 2 * text.size() &&
         (text.empty() || std::memcmp(p, text.data(), 2 * text.size()) == 0);
}

void TextPool::get(uint32_t id, std::u16string& out) const {
  const Span s = span(id);
  const uint8_t* p = bytes_.data() + s.begin;
  const size_t n = s.wide ? (s.end - s.begin) / 2 : s.end - s.begin;
  out.resize(n);
  if (s.wide) {
    readTwoByteText(p, n, out.data());
  } else {
    widenOneByteText(p, n, out.data());
  }
}

std::u16string TextPool::get(uint32_t id) const {
  const Span s = span(id);
  const uint8_t* p = bytes_.data() + s.begin;
  if (!s.wide) return std::u16string(p, p + (s.end - s.begin));
  std::u16string out;
  get(id, out);
  return out;
}

void TextPool::grow() {
  std::vector<uint64_t> bigger(slots_.size() * 2, 0);
  size_t mask = bigger.size() - 1;
  for (uint64_t slot : slots_) {
    if (slot == 0) continue;
    size_t i = bucketOf(slot & ~kIdMask, mask);
    while (bigger[i] != 0) i = (i + 1) & mask;
    bigger[i] = slot;
  }
  slots_.swap(bigger);
}

void TextPool::freeze() {
  std::vector<uint64_t>().swap(slots_);
  bytes_.shrink_to_fit();
  ends_.shrink_to_fit();
}

size_t TextPool::memoryBytes() const {
  return bytes_.capacity() + ends_.capacity() * sizeof(uint32_t) +
         slots_.capacity() * sizeof(uint64_t);
}

}  // namespace jet::sql
