// The writer's view of the file: pages being changed, pages being added, and the order in
// which they reach the file.
//
// Flush order keeps the file valid if the process dies between two page writes, however many
// changes a flush gathers: first the new pages (in ascending order, so the file only ever
// grows by whole pages), then changed long-value and data pages, then index pages, then usage
// maps (page 1 and the map pages; free-space maps after the others), and the table
// definitions last. Nothing points at a page before the page is on disk, and a page changed
// many times is written once, as it is last. Runs of consecutive pages in that order go to the
// file with one write each.
//
// A kill can also cut one long write short at a page boundary. Rows are stored in page order,
// so rows added to pages of a table reach the file first pages first; a delete has its changed
// data pages written from the last one back, one write each, and so leaves the first rows
// (or, emptying a whole table, hides each batch of pages from the table while it goes:
// row_delete.cc).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "jet/format/page_format.h"

namespace jet {

class Pager;

class PageWorkspace {
 public:
  explicit PageWorkspace(Pager& pager);

  // The page's current bytes (pending changes included).
  const PageBytes& read(uint32_t page);
  // For a caller about to read pages from `page` on in order: when the file's copy of it
  // will be needed, the next pages of the file come in with it (Pager::readAhead).
  void readAhead(uint32_t page);
  // The page's bytes for changing; it is written at the next flush.
  PageBytes& edit(uint32_t page);
  // Sets the bytes of a page of the file whole, without reading it; written at the next flush.
  void put(uint32_t page, const PageBytes& bytes);
  // Appends a zeroed page, marks it used in the global map and returns its number.
  uint32_t allocate();
  uint32_t pageCount() const { return nextPage_; }

  // Sets or clears `page` in the usage map at `mapRowPointer` (an owned- or free-pages map,
  // not the global map). Inline maps move their window or become reference maps as needed.
  // Free-space maps are written after the other maps: a page must be the table's before
  // writers are sent to it, or rows placed there after a crash would not be seen.
  enum class MapRole { kOwnedPages, kFreeSpace };
  void setUsage(uint32_t mapRowPointer, uint32_t page, bool present, MapRole role);
  bool hasUsage(uint32_t mapRowPointer, uint32_t page);
  // The first page at or after `from` that the map at `mapRowPointer` marks (pending changes
  // included), or nullopt. Not for the global map, whose sense is inverted.
  std::optional<uint32_t> nextUsage(uint32_t mapRowPointer, uint32_t from);

  // Writes every pending page in the safe order; `sync` also pushes everything written so
  // far to the device. A failed write leaves the pages pending, so a later flush tries again.
  enum class DataPageOrder { kFirstToLast, kLastToFirst };
  void flush(bool sync, DataPageOrder order = DataPageOrder::kFirstToLast);
  size_t pendingPages() const { return pending_.size(); }

 private:
  void markGlobalUsed(uint32_t page);
  void growGlobalMap(std::vector<uint8_t> row, uint32_t page);
  void setReferenceBit(std::span<uint8_t> row, uint32_t page, bool value, bool freshPagesAreSet);
  std::vector<uint8_t> mapRow(uint32_t mapRowPointer);
  std::vector<uint8_t> readMapRow(uint32_t mapRowPointer);
  void storeMapRow(uint32_t mapRowPointer, const std::vector<uint8_t>& row);
  void writePending(bool dataLastToFirst);

  struct Write {
    int rank;
    uint32_t page;
    const PageBytes* bytes;
  };

  Pager& pager_;
  uint32_t filePages_;  // pages already in the file
  uint32_t nextPage_;
  std::unordered_map<uint32_t, PageBytes> pending_;
  std::unordered_map<uint32_t, PageBytes> clean_;  // read-through cache of unchanged pages
  uint32_t aheadFrom_ = 0, aheadEnd_ = 0;          // the pages the last readAhead covered
  bool unsynced_ = false;                          // written since the last sync
  std::vector<Write> order_;                       // kept to spare an allocation per flush
  std::vector<std::span<const uint8_t>> run_;
  // Pages changed for free-space maps since the last flush.
  bool editingFreeSpace_ = false;
  std::unordered_set<uint32_t> freeSpaceMapPages_;
};

}  // namespace jet
