// Interned texts for result columns: each distinct text is kept once, and a column keeps an
// id per row. Names, courses and places repeat across rows, so this is where a large result
// saves most of its memory.
//
// Layout: chars_ holds every distinct text back to back; ends_[id] is where text `id` ends
// (it starts where the one before ends). slots_ is an open-addressing table keyed by the exact
// text (interning never merges texts that differ only in case); a slot holds the upper half of
// the text's hash beside id + 1 (0 = empty), so probing and growing rarely touch the texts.
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
  std::u16string_view get(uint32_t id) const {
    uint32_t begin = id == 0 ? 0 : ends_[id - 1];
    return std::u16string_view(chars_.data() + begin, ends_[id] - begin);
  }
  size_t size() const { return ends_.size(); }
  size_t memoryBytes() const;
  // Drops the lookup table once no more texts come; get() keeps working.
  void freeze();

 private:
  void grow();
  std::vector<char16_t> chars_;
  std::vector<uint32_t> ends_;
  std::vector<uint64_t> slots_;
};

}  // namespace jet::sql
