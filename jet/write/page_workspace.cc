#include "jet/write/page_workspace.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "jet/format/data_page_builder.h"
#include "jet/util/error.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/format/pager.h"
#include "jet/format/usage_map_builder.h"

namespace jet {
namespace {

constexpr uint32_t kGlobalMapPage = 1;
// Pages kept after a flush or a read for the next edits; past this many the cache restarts.
constexpr size_t kCleanCacheLimit = 1024;
// The global map's bitmap grows in steps of this many bytes (256 pages).
constexpr size_t kGlobalGrowStep = 32;

// Where a pending page goes in a flush, in write order (page_workspace.h). Map pages with a
// free-space map's change come after the other maps' pages, so a page is the table's before a
// writer can be sent to it (a page holding both kinds of map row goes with the later ones).
enum Rank : int { kNewPage, kChangedLongValue, kChangedData, kIndex, kMap, kFreeSpaceMap, kTableDefinition };

// Sets a flag for a scope and puts the old value back.
class FlagScope {
 public:
  FlagScope(bool& flag, bool value) : flag_(flag), saved_(std::exchange(flag, value)) {}
  ~FlagScope() { flag_ = saved_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

Rank flushRank(const PageBytes& p, bool isNew) {
  if (isNew) return kNewPage;
  switch (p[0]) {
    case page_type::kData: {
      const uint32_t owner = ByteView(p).u32(4);
      if (owner == kLvalPageOwner) return kChangedLongValue;
      if (owner == 0 || owner == 1) return kMap;  // usage-map rows, global map
      return kChangedData;
    }
    case page_type::kIndexLeaf:
    case page_type::kIndexNode: return kIndex;
    case page_type::kUsageMap: return kMap;
    case page_type::kTableDefinition: return kTableDefinition;
    default: return kChangedData;
  }
}

}  // namespace

PageWorkspace::PageWorkspace(Pager& pager)
    : pager_(pager), filePages_(pager.pageCount()), nextPage_(pager.pageCount()) {}

const PageBytes& PageWorkspace::read(uint32_t page) {
  if (auto it = pending_.find(page); it != pending_.end()) return it->second;
  if (auto it = clean_.find(page); it != clean_.end()) return it->second;
  if (page >= filePages_) throw Error(errc::kUnspecified, "Page " + std::to_string(page) + " lies beyond the file.");
  auto ref = pager_.read(page);
  PageBytes bytes{};
  const auto src = ref->bytes();
  if (src.size() != kPageSize) throw Error(errc::kUnspecified, "Unexpected page size.");
  std::memcpy(bytes.data(), src.data(), kPageSize);
  return clean_.emplace(page, bytes).first->second;
}

void PageWorkspace::readAhead(uint32_t page) {
  // Pages of the last window are read already: a new window starts only past it, so a walk
  // reads each run of pages once and whole, not a page or two at a time.
  if (page >= filePages_ || (page >= aheadFrom_ && page < aheadEnd_)) return;
  if (pending_.count(page) != 0 || clean_.count(page) != 0) return;
  const uint32_t count = std::min<uint32_t>(Pager::kReadAheadPages, filePages_ - page);
  pager_.readAhead(page, count);
  aheadFrom_ = page;
  aheadEnd_ = page + count;
}

PageBytes& PageWorkspace::edit(uint32_t page) {
  auto it = pending_.find(page);
  if (it == pending_.end()) {
    (void)read(page);  // now in the clean cache; its node moves over without a copy
    it = pending_.insert(clean_.extract(page)).position;
  }
  if (editingFreeSpace_) freeSpaceMapPages_.insert(page);
  return it->second;
}

void PageWorkspace::put(uint32_t page, const PageBytes& bytes) {
  if (page >= filePages_) throw Error(errc::kUnspecified, "Page " + std::to_string(page) + " lies beyond the file.");
  clean_.erase(page);
  pending_[page] = bytes;
  if (editingFreeSpace_) freeSpaceMapPages_.insert(page);
}

uint32_t PageWorkspace::allocate() {
  if (nextPage_ >= 0x7FFFFFFFu / kPageSize) {
    throw Error(errc::kUnspecified, "The database would grow beyond 2 GB.");
  }
  const uint32_t page = nextPage_++;
  // A new entry's bytes are value-initialised, that is zero already.
  if (auto [it, added] = pending_.try_emplace(page); !added) it->second.fill(0);
  markGlobalUsed(page);
  return page;
}

// ---- usage maps -----------------------------------------------------------------------

std::vector<uint8_t> PageWorkspace::mapRow(uint32_t ptr) {
  PageBytes& page = edit(RowPointer::fromRaw(ptr).page);
  DataPageBuilder dp(page);
  auto row = dp.row(RowPointer::fromRaw(ptr).row);
  return {row.begin(), row.end()};
}

void PageWorkspace::storeMapRow(uint32_t ptr, const std::vector<uint8_t>& row) {
  PageBytes& page = edit(RowPointer::fromRaw(ptr).page);
  DataPageBuilder dp(page);
  auto old = dp.row(RowPointer::fromRaw(ptr).row);
  if (old.size() == row.size()) {
    std::memcpy(old.data(), row.data(), row.size());
  } else {
    dp.replace(RowPointer::fromRaw(ptr).row, row);
  }
}

void PageWorkspace::setReferenceBit(std::span<uint8_t> row, uint32_t page, bool value, bool freshPagesAreSet) {
  const uint32_t slot = page / kPagesPerBitmapPage;
  if (slot >= kReferenceSlots) throw Error(errc::kUnspecified, "A usage map cannot reach page " + std::to_string(page) + ".");
  uint32_t mapPage = ByteView(row).u32(1 + 4 * slot);
  if (mapPage == 0) {
    // A new bitmap page. Its own global-map bit is cleared after the slot is in place, so
    // the global map, which may be the very map being extended, never recurses endlessly.
    mapPage = nextPage_++;
    PageBytes& fresh = pending_[mapPage];
    fresh = buildUsageBitmapPage();
    if (freshPagesAreSet) std::fill(fresh.begin() + 4, fresh.end(), 0xFF);
    le::put32(row, 1 + 4 * slot, mapPage);
    if (freshPagesAreSet) {
      setReferenceBit(row, mapPage, false, true);  // this map is the global one
    } else {
      markGlobalUsed(mapPage);
    }
  }
  PageBytes& bm = edit(mapPage);
  if (bm[0] != page_type::kUsageMap) throw Error(errc::kUnspecified, "A usage map points at a page that is not a map page.");
  const uint32_t bit = page % kPagesPerBitmapPage;
  uint8_t& byte = bm[4 + bit / 8];
  const auto mask = static_cast<uint8_t>(1u << (bit % 8));
  byte = value ? (byte | mask) : (byte & ~mask);
}

void PageWorkspace::setUsage(uint32_t ptr, uint32_t page, bool present, MapRole role) {
  const FlagScope scope(editingFreeSpace_, role == MapRole::kFreeSpace);  // for the map pages edited below
  auto row = mapRow(ptr);
  if (row.empty()) throw Error(errc::kUnspecified, "Empty usage map row.");
  if (row[0] == usage_map_type::kReference) {
    setReferenceBit(row, page, present, false);
    storeMapRow(ptr, row);
    return;
  }
  if (row[0] != usage_map_type::kInline) throw Error(errc::kUnspecified, "Unknown usage map kind.");
  if (setInlineUsageBit(row, page, present)) {
    storeMapRow(ptr, row);
    return;
  }
  if (!present) return;  // outside the window: not set anyway
  // Move the window when every marked page still fits it; otherwise become a reference map.
  auto pages = inlineUsagePages(row);
  pages.push_back(page);
  const uint32_t lo = *std::min_element(pages.begin(), pages.end()) & ~7u;
  const uint32_t hi = *std::max_element(pages.begin(), pages.end());
  const size_t bitmapBytes = row.size() - 5;
  if (hi - lo < bitmapBytes * 8) {
    storeMapRow(ptr, buildInlineUsageMap(lo, bitmapBytes, pages));
    return;
  }
  auto ref = buildReferenceUsageMap();
  for (uint32_t p : pages) setReferenceBit(ref, p, true, false);
  storeMapRow(ptr, ref);
}

std::vector<uint8_t> PageWorkspace::readMapRow(uint32_t ptr) {
  PageBytes copy = read(RowPointer::fromRaw(ptr).page);
  DataPageBuilder dp(copy);
  auto row = dp.row(RowPointer::fromRaw(ptr).row);
  if (row.empty()) throw Error(errc::kUnspecified, "Empty usage map row.");
  return {row.begin(), row.end()};
}

bool PageWorkspace::hasUsage(uint32_t ptr, uint32_t page) {
  const auto row = readMapRow(ptr);
  if (row[0] == usage_map_type::kInline) return inlineUsageBit(row, page).value_or(false);
  if (row[0] != usage_map_type::kReference) throw Error(errc::kUnspecified, "Unknown usage map kind.");
  const uint32_t slot = page / kPagesPerBitmapPage;
  if (slot >= kReferenceSlots || 1 + 4 * size_t{slot} + 4 > row.size()) return false;
  const uint32_t mapPage = ByteView(row).u32(1 + 4 * slot);
  if (mapPage == 0) return false;
  const PageBytes& bm = read(mapPage);
  const uint32_t bit = page % kPagesPerBitmapPage;
  return (bm[4 + bit / 8] >> (bit % 8)) & 1;
}

std::optional<uint32_t> PageWorkspace::nextUsage(uint32_t ptr, uint32_t from) {
  const auto row = readMapRow(ptr);
  const auto firstSet = [](std::span<const uint8_t> bitmap, uint64_t base, uint32_t from) -> std::optional<uint32_t> {
    const uint64_t skip = from > base ? from - base : 0;
    size_t at = static_cast<size_t>(skip / 8);
    if (at >= bitmap.size()) return std::nullopt;
    // The byte `from` falls in, without the bits before it.
    if (const uint8_t byte = static_cast<uint8_t>(bitmap[at] >> (skip % 8))) {
      return static_cast<uint32_t>(base + skip + static_cast<uint64_t>(std::countr_zero(byte)));
    }
    // Then eight bytes a step while they are all clear: a writer that fills the last page
    // asks for a page after it on each new page, and the rest of the bitmap is empty.
    for (++at; at + 8 <= bitmap.size(); at += 8) {
      uint64_t word;
      std::memcpy(&word, bitmap.data() + at, sizeof word);
      if (word != 0) break;
    }
    for (; at < bitmap.size(); ++at) {
      if (const uint8_t byte = bitmap[at]) {
        return static_cast<uint32_t>(base + uint64_t{at} * 8 + static_cast<uint64_t>(std::countr_zero(byte)));
      }
    }
    return std::nullopt;
  };
  if (row[0] == usage_map_type::kInline) {
    if (row.size() < 5) throw Error(errc::kUnspecified, "A usage map row is too short.");
    return firstSet(std::span<const uint8_t>(row).subspan(5), ByteView(row).u32(1), from);
  }
  if (row[0] != usage_map_type::kReference) throw Error(errc::kUnspecified, "Unknown usage map kind.");
  for (uint32_t slot = from / kPagesPerBitmapPage; slot < kReferenceSlots && 1 + 4 * size_t{slot} + 4 <= row.size(); ++slot) {
    const uint32_t mapPage = ByteView(row).u32(1 + 4 * slot);
    if (mapPage == 0) continue;
    const PageBytes& bm = read(mapPage);
    if (bm[0] != page_type::kUsageMap) throw Error(errc::kUnspecified, "A usage map points at a page that is not a map page.");
    if (auto hit = firstSet(std::span<const uint8_t>(bm).subspan(4), uint64_t{slot} * kPagesPerBitmapPage, from)) return hit;
  }
  return std::nullopt;
}

void PageWorkspace::markGlobalUsed(uint32_t page) {
  const FlagScope global(editingFreeSpace_, false);  // also for a free-space map's new bitmap page
  // The global map (page 1, row 0) has the inverted sense: a set bit is a free page.
  auto row = mapRow(RowPointer{kGlobalMapPage, 0}.raw());
  if (row[0] == usage_map_type::kReference) {
    setReferenceBit(row, page, false, true);
    storeMapRow(RowPointer{kGlobalMapPage, 0}.raw(), row);
    return;
  }
  if (setInlineUsageBit(row, page, false)) {
    storeMapRow(RowPointer{kGlobalMapPage, 0}.raw(), row);
    return;
  }
  growGlobalMap(std::move(row), page);
}

void PageWorkspace::growGlobalMap(std::vector<uint8_t> row, uint32_t page) {
  const uint32_t start = ByteView(row).u32(1);
  if (page < start) throw Error(errc::kUnspecified, "The global usage map does not cover page " + std::to_string(page) + ".");
  const size_t needed = (page - start) / 8 + 1;
  const size_t grown = (needed + kGlobalGrowStep - 1) / kGlobalGrowStep * kGlobalGrowStep;
  const size_t extra = grown - (row.size() - 5);
  DataPageBuilder dp(edit(kGlobalMapPage));
  if (start == 0 && extra + 2 <= dp.freeSpace()) {
    row.resize(5 + grown, 0xFF);  // pages beyond the old end are free
    setInlineUsageBit(row, page, false);
    storeMapRow(RowPointer{kGlobalMapPage, 0}.raw(), row);
    return;
  }
  // The page cannot hold a longer bitmap: switch to bitmap pages, keeping every page we
  // have (and the ones the switch itself allocates) marked as used.
  const uint32_t usedBefore = page;
  auto ref = buildReferenceUsageMap();
  storeMapRow(RowPointer{kGlobalMapPage, 0}.raw(), ref);
  for (uint32_t p = 0; p <= usedBefore; ++p) {
    auto cur = mapRow(RowPointer{kGlobalMapPage, 0}.raw());
    setReferenceBit(cur, p, false, true);
    storeMapRow(RowPointer{kGlobalMapPage, 0}.raw(), cur);
  }
}

// ---- flushing ---------------------------------------------------------------------------

void PageWorkspace::flush(bool sync, DataPageOrder order) {
  if (!pending_.empty()) writePending(order == DataPageOrder::kLastToFirst);
  if (sync && unsynced_) {
    pager_.sync();
    unsynced_ = false;
  }
}

void PageWorkspace::writePending(bool dataLastToFirst) {
  order_.clear();
  for (const auto& [n, bytes] : pending_) {
    Rank rank = flushRank(bytes, n >= filePages_);
    if (rank == kMap && freeSpaceMapPages_.count(n) != 0) rank = kFreeSpaceMap;
    order_.push_back({rank, n, &bytes});
  }
  const auto backwards = [dataLastToFirst](const Write& w) { return dataLastToFirst && w.rank == kChangedData; };
  std::sort(order_.begin(), order_.end(), [&](const Write& a, const Write& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    return backwards(a) ? a.page > b.page : a.page < b.page;
  });
  // Neighbours in the order that are neighbours in the file too go in one write, which keeps
  // the order exactly (a write cut short by a kill stops at a page boundary).
  for (size_t i = 0; i < order_.size();) {
    run_.clear();
    size_t j = i;
    do {
      run_.emplace_back(*order_[j].bytes);
      ++j;
    } while (j < order_.size() && !backwards(order_[j]) && order_[j].page == order_[j - 1].page + 1);
    unsynced_ = true;
    pager_.writeRun(order_[i].page, run_);
    i = j;
  }
  filePages_ = nextPage_;
  freeSpaceMapPages_.clear();
  // The written pages stay at hand for the next edits: their nodes move, the bytes stay put.
  if (clean_.size() > kCleanCacheLimit) clean_.clear();
  clean_.merge(pending_);
  for (auto& [n, bytes] : pending_) clean_[n] = bytes;  // none expected: edit() takes pages out
  pending_.clear();
}

}  // namespace jet
