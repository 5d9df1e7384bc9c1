// Interned texts for result columns: each distinct text is kept once, and a column keeps an
// id per row. Names, courses and places repeat across rows, so this is where a large result
// saves most of its memory.
//
// Layout: bytes_ holds every distinct text back to back, one byte per character when every
// character of it is below U+0100 (nearly every name, place and e-mail address), else two
// (UTF-16LE). ends_[id] is where text `id` ends, with kWide set for a two-byte text; it
// starts where the one before ends. slots_ is an open-addressing table keyed by the exact
// text (interning never merges texts that differ only in case); a slot holds the upper half
// of the text's hash beside id + 1 (0 = empty), so probing and growing rarely touch texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jet::sql {

class TextPool {
 public:
  TextPool();
  uint32_t intern(std::u16string_view text);
  // Text `id`, written into `out` (its buffer is reused).
  void get(uint32_t id, std::u16string& out) const;
  // Text `id` as a new string: a narrow text is widened as the string is made, not written
  // over a zeroed one.
  std::u16string get(uint32_t id) const;
  size_t size() const { return ends_.size(); }
  // For a reader about to get text `id` (to load ahead): where its bounds are kept, and
  // (read once those are in the cache) where its characters are.
  const void* boundsAddress(uint32_t id) const { return &ends_[id]; }
  const void* textAddress(uint32_t id) const { return bytes_.data() + span(id).begin; }
  size_t memoryBytes() const;
  // Drops the lookup table once no more texts come; get() keeps working.
  void freeze();

 private:
  static constexpr uint32_t kWide = 0x80000000u;
  struct Span {
    size_t begin, end;
    bool wide;
  };
  Span span(uint32_t id) const {
    size_t begin = id == 0 ? 0 : ends_[id - 1] & ~kWide;
    return {begin, ends_[id] & ~kWide, (ends_[id] & kWide) != 0};
  }
  bool equals(uint32_t id, std::u16string_view text) const;
  void grow();
  std::vector<uint8_t> bytes_;
  std::vector<uint32_t> ends_;
  std::vector<uint64_t> slots_;
};

}  // namespace jet::sql
