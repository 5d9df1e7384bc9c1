#include "jet/format/data_page_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "jet/util/error.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"

namespace jet {

void DataPageBuilder::init(PageBytes& bytes, uint32_t owner) {
  bytes.fill(0);
  bytes[0] = page_type::kData;
  bytes[1] = 0x01;
  le::put16(bytes, kDataPageFreeSpaceOffset, static_cast<uint16_t>(kPageSize - kDataPageSlotsOffset));
  le::put32(bytes, kDataPageOwnerOffset, owner);
}

uint16_t DataPageBuilder::freeSpace() const { return ByteView(p_).u16(kDataPageFreeSpaceOffset); }
uint16_t DataPageBuilder::slotCount() const { return ByteView(p_).u16(kDataPageRowCountOffset); }
uint32_t DataPageBuilder::owner() const { return ByteView(p_).u32(kDataPageOwnerOffset); }
uint16_t DataPageBuilder::slotWord(uint8_t slot) const { return ByteView(p_).u16(kDataPageSlotsOffset + 2 * size_t{slot}); }

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
  if (start < kDataPageSlotsOffset + 2 * size_t{slotCount()} || end > kPageSize || start > end) {
    throw Error(errc::kUnspecified, "A data page holds a row outside the page.");
  }
  return std::span<uint8_t>(p_).subspan(start, end - start);
}

bool DataPageBuilder::isLive(uint8_t slot) const { return (slotWord(slot) & kRowDeletedFlags) == 0; }

void DataPageBuilder::markDeleted(uint8_t slot) {
  le::put16(p_, kDataPageSlotsOffset + 2 * size_t{slot}, static_cast<uint16_t>(slotWord(slot) | kRowDeletedFlags));
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
  const auto word = [&](size_t s) { return ByteView(old).u16(kDataPageSlotsOffset + 2 * s); };
  const auto removed = [&](size_t s) { return (word(s) & kRowDeletedFlags) == kRowDeletedFlags; };
  const size_t count = ByteView(old).u16(kDataPageRowCountOffset);
  if (count > kMaxRowsPerPage) throw Error(errc::kUnspecified, "A data page holds more rows than a page can.");
  const size_t slotsEnd = kDataPageSlotsOffset + 2 * count;
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
    le::put16(p_, kDataPageSlotsOffset + 2 * s, static_cast<uint16_t>(flags | pos));
    end = start;
  }
  // The gap between the slot table and the rows holds no stale row bytes.
  std::memset(p_.data() + slotsEnd, 0, pos - slotsEnd);
  le::put16(p_, kDataPageFreeSpaceOffset, static_cast<uint16_t>(pos - slotsEnd));
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
  le::put16(p_, kDataPageSlotsOffset + 2 * size_t{*slot}, static_cast<uint16_t>(slotWord(*slot) & kRowOffsetMask));
  return *slot;
}

uint8_t DataPageBuilder::append(std::span<const uint8_t> rowBytes) {
  assert(fits(rowBytes.size()));
  const uint16_t n = slotCount();
  const size_t end = n == 0 ? kPageSize : rowStart(static_cast<uint8_t>(n - 1));
  const size_t start = end - rowBytes.size();
  std::memcpy(p_.data() + start, rowBytes.data(), rowBytes.size());
  le::put16(p_, kDataPageSlotsOffset + 2 * size_t{n}, static_cast<uint16_t>(start));
  le::put16(p_, kDataPageRowCountOffset, static_cast<uint16_t>(n + 1));
  le::put16(p_, kDataPageFreeSpaceOffset, static_cast<uint16_t>(freeSpace() - rowBytes.size() - 2));
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
    le::put16(p_, kDataPageSlotsOffset + 2 * size_t{s}, static_cast<uint16_t>((w & ~kRowOffsetMask) | moved));
  }
  le::put16(p_, kDataPageFreeSpaceOffset, static_cast<uint16_t>(freeSpace() - delta));
  if (lowest - delta < kDataPageSlotsOffset + 2 * size_t{n}) {
    throw Error(errc::kUnspecified, "A usage map no longer fits on its page.");
  }
}

}  // namespace jet
