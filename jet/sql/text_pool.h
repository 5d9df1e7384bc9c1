// Interned texts for result columns: each distinct text is kept once, and a column keeps a
// 32-bit id per row. Names, courses and places repeat across rows, so this is where a large
// result saves most of its memory.
//
// Layout: chars_ holds every distinct text back to back; offsets_[id] .. offsets_[id + 1]
// delimits text `id`. slots_ is an open-addressing table of id + 1 (0 = empty) keyed by the
// exact text (interning never merges texts that differ only in case).
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
    return std::u16string_view(chars_).substr(offsets_[id], offsets_[id + 1] - offsets_[id]);
  }
  size_t size() const { return offsets_.size() - 1; }
  size_t memoryBytes() const;
  // Drops the lookup table once no more texts come; get() keeps working.
  void freeze();

 private:
  void grow();
  std::u16string chars_;
  std::vector<uint64_t> offsets_;
  std::vector<uint32_t> slots_;
};

}  // namespace jet::sql
