#include "jet/format/data_page_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "jet/util/error.h"
#include "jet/util/le_bytes.h"

namespace jet {

void DataPageBuilder::init(PageBytes& bytes, uint32_t owner) {
  bytes.fill(0);
  bytes[0] = page_type::kData;
  bytes[1] = 0x01;
  le::put16(bytes, 2, static_cast<uint16_t>(kPageSize - kDataPageHeaderSize));
  le::put32(bytes, 4, owner);
}

uint16_t DataPageBuilder::freeSpace() const { return le::get16(p_, 2); }
uint16_t DataPageBuilder::slotCount() const { return le::get16(p_, 12); }
uint32_t DataPageBuilder::owner() const { return le::get32(p_, 4); }
uint16_t DataPageBuilder::slotWord(uint8_t slot) const { return le::get16(p_, 14 + 2 * size_t{slot}); }

bool DataPageBuilder::fits(size_t rowSize) const {
  return slotCount() < kMaxRowsPerPage && rowSize + 2 <= freeSpace();
}

size_t DataPageBuilder::rowStart(uint8_t slot) const { return slotWord(slot) & kRowOffsetMask; }

size_t DataPageBuilder::rowEnd(uint8_t slot) const {
  return slot == 0 ? kPageSize : rowStart(static_cast<uint8_t>(slot - 1));
}

std::span<uint8_t> DataPageBuilder::row(uint8_t slot) {
  if (slot >= slotCount()) throw Error(errc::kUnspecified, "Row slot past the slot count.");
  const size_t start = rowStart(slot), end = rowEnd(slot);
  if (start < kDataPageHeaderSize + 2 * size_t{slotCount()} || end > kPageSize || start > end) {
    throw Error(errc::kUnspecified, "A data page holds a row outside the page.");
  }
  return std::span<uint8_t>(p_).subspan(start, end - start);
}

bool DataPageBuilder::isDeleted(uint8_t slot) const { return (slotWord(slot) & 0x4000) != 0; }
bool DataPageBuilder::isLive(uint8_t slot) const { return (slotWord(slot) & 0xC000) == 0; }

void DataPageBuilder::markDeleted(uint8_t slot) {
  le::put16(p_, 14 + 2 * size_t{slot}, static_cast<uint16_t>(slotWord(slot) | kRowDeletedFlags));
}

void DataPageBuilder::removeRows(std::span<const uint8_t> slots) {
  for (uint8_t s : slots) {
    if (s >= slotCount()) throw Error(errc::kUnspecified, "Row slot past the slot count.");
    markDeleted(s);
  }
  compact();
}

void DataPageBuilder::compact() {
  const PageBytes old = p_;
  const auto word = [&](size_t s) { return le::get16(old, kDataPageHeaderSize + 2 * s); };
  const auto removed = [&](size_t s) { return (word(s) & kRowDeletedFlags) == kRowDeletedFlags; };
  const size_t count = le::get16(old, 12);
  if (count > kMaxRowsPerPage) throw Error(errc::kUnspecified, "A data page holds more rows than a page can.");
  const size_t slotsEnd = kDataPageHeaderSize + 2 * count;
  size_t end = kPageSize;  // where the previous slot's row starts in the old page
  size_t pos = kPageSize;  // same in the new page
  for (size_t s = 0; s < count; ++s) {
    const uint16_t w = word(s);
    const size_t start = w & kRowOffsetMask;
    if (start < slotsEnd || start > end) throw Error(errc::kUnspecified, "A data page holds a row outside the page.");
    const uint16_t flags = w & ~kRowOffsetMask;
    if (!removed(s)) {
      const size_t len = end - start;
      pos -= len;
      std::memcpy(p_.data() + pos, old.data() + start, len);
    }
    le::put16(p_, kDataPageHeaderSize + 2 * s, static_cast<uint16_t>(flags | pos));
    end = start;
  }
  // The gap between the slot table and the rows holds no stale row bytes.
  std::memset(p_.data() + slotsEnd, 0, pos - slotsEnd);
  le::put16(p_, 2, static_cast<uint16_t>(pos - slotsEnd));
}

std::optional<uint8_t> DataPageBuilder::firstRemovedSlot() const {
  for (uint16_t s = 0; s < slotCount(); ++s) {
    if ((slotWord(static_cast<uint8_t>(s)) & kRowDeletedFlags) == kRowDeletedFlags) return static_cast<uint8_t>(s);
  }
  return std::nullopt;
}

bool DataPageBuilder::fitsPlacing(size_t rowSize) const {
  // A new slot first: looking for a removed one walks every slot of the page.
  return fits(rowSize) || (rowSize <= freeSpace() && firstRemovedSlot());
}

uint8_t DataPageBuilder::place(std::span<const uint8_t> rowBytes) {
  const auto slot = firstRemovedSlot();
  if (!slot || rowBytes.size() > freeSpace()) return append(rowBytes);
  // A removed slot's extent is empty once the page is compacted; the row grows into it.
  if (rowStart(*slot) != rowEnd(*slot)) compact();
  replace(*slot, rowBytes);
  le::put16(p_, 14 + 2 * size_t{*slot}, static_cast<uint16_t>(slotWord(*slot) & kRowOffsetMask));
  return *slot;
}

uint8_t DataPageBuilder::append(std::span<const uint8_t> rowBytes) {
  assert(fits(rowBytes.size()));
  const uint16_t n = slotCount();
  const size_t end = n == 0 ? kPageSize : rowStart(static_cast<uint8_t>(n - 1));
  const size_t start = end - rowBytes.size();
  std::memcpy(p_.data() + start, rowBytes.data(), rowBytes.size());
  le::put16(p_, 14 + 2 * size_t{n}, static_cast<uint16_t>(start));
  le::put16(p_, 12, static_cast<uint16_t>(n + 1));
  le::put16(p_, 2, static_cast<uint16_t>(freeSpace() - rowBytes.size() - 2));
  return static_cast<uint8_t>(n);
}

void DataPageBuilder::replace(uint8_t slot, std::span<const uint8_t> newRow) {
  const uint16_t n = slotCount();
  assert(slot < n);
  const size_t oldStart = rowStart(slot), oldEnd = rowEnd(slot);
  const long delta = static_cast<long>(newRow.size()) - static_cast<long>(oldEnd - oldStart);
  if (delta > static_cast<long>(freeSpace())) {
    throw Error(errc::kUnspecified, "A usage map no longer fits on its page.");
  }
  // Rows of later slots lie below this one; shift them down (or up) by delta.
  const size_t lowest = n == 0 ? kPageSize : rowStart(static_cast<uint8_t>(n - 1));
  std::memmove(p_.data() + lowest - delta, p_.data() + lowest, oldStart - lowest);
  std::memcpy(p_.data() + oldEnd - newRow.size(), newRow.data(), newRow.size());
  for (uint16_t s = slot; s < n; ++s) {
    const uint16_t w = slotWord(static_cast<uint8_t>(s));
    const auto moved = static_cast<uint16_t>((w & kRowOffsetMask) - delta);
    le::put16(p_, 14 + 2 * size_t{s}, static_cast<uint16_t>((w & ~kRowOffsetMask) | moved));
  }
  le::put16(p_, 2, static_cast<uint16_t>(freeSpace() - delta));
  if (lowest - delta < kDataPageHeaderSize + 2 * size_t{n}) {
    throw Error(errc::kUnspecified, "A usage map no longer fits on its page.");
  }
}

}  // namespace jet
