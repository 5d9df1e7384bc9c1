#include "jet/sql/text_pool.h"

#include <cassert>

#include "jet/error.h"

namespace jet::sql {
namespace {

uint64_t exactHash(std::u16string_view s) {
  uint64_t h = 1469598103934665603ull;
  for (char16_t c : s) h = (h ^ c) * 1099511628211ull;
  return h ^ (h >> 29);
}

}  // namespace

TextPool::TextPool() : offsets_{0}, slots_(64, 0) {}

uint32_t TextPool::intern(std::u16string_view text) {
  assert(!slots_.empty() && "intern() after freeze()");
  size_t mask = slots_.size() - 1;
  size_t i = exactHash(text) & mask;
  while (slots_[i] != 0) {
    uint32_t id = slots_[i] - 1;
    if (get(id) == text) return id;
    i = (i + 1) & mask;
  }
  if (size() >= UINT32_MAX - 1) throw Error(errc::kUnspecified, "A result holds too many texts.");
  uint32_t id = static_cast<uint32_t>(size());
  chars_.append(text);
  offsets_.push_back(chars_.size());
  slots_[i] = id + 1;
  if (size() * 2 > slots_.size()) grow();
  return id;
}

void TextPool::grow() {
  std::vector<uint32_t> bigger(slots_.size() * 2, 0);
  size_t mask = bigger.size() - 1;
  for (uint32_t slot : slots_) {
    if (slot == 0) continue;
    size_t i = exactHash(get(slot - 1)) & mask;
    while (bigger[i] != 0) i = (i + 1) & mask;
    bigger[i] = slot;
  }
  slots_.swap(bigger);
}

void TextPool::freeze() {
  std::vector<uint32_t>().swap(slots_);
  chars_.shrink_to_fit();
  offsets_.shrink_to_fit();
}

size_t TextPool::memoryBytes() const {
  return chars_.capacity() * sizeof(char16_t) + offsets_.capacity() * sizeof(uint64_t) +
         slots_.capacity() * sizeof(uint32_t);
}

}  // namespace jet::sql
