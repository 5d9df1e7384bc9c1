// Data pages (kind 0x01): table rows, long-value rows and usage-map rows.
//
//   0x00 u8  0x01            page kind
//   0x01 u8  0x01
//   0x02 u16 free space      4096 - 14 - 2*slots - sum of row sizes
//   0x04 u32 owner           TDEF page of the table; "LVAL" on long-value pages; 0 on
//                            usage-map pages; 1 on page 1
//   0x08 u32 0
//   0x0C u16 slot count
//   0x0E u16 slot offsets    low 13 bits = row start; 0x4000/0x8000 are flags
// Rows are packed downwards from the page end: slot 0 ends at 4096, slot i ends where slot
// i-1 starts. A removed row gets both flag bits (0xC000) and an empty extent: its slot stays,
// pointing where the previous row starts, its bytes go back to the page. That is how Jet
// leaves the pages it deletes from (slot words 0xC000 | offset, 0xD000 for slot 0).
//
// Layout: docs/file-format.md#data-pages
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet/format/data_page.h"
#include "jet/format/page_format.h"

namespace jet {

// An editing view over one data page's bytes.
class DataPageBuilder {
 public:
  explicit DataPageBuilder(PageBytes& bytes) : p_(bytes) {}

  // Clears the page and writes an empty data page header owned by `owner`.
  static void init(PageBytes& bytes, uint32_t owner);

  uint16_t freeSpace() const;
  uint16_t slotCount() const;
  uint32_t owner() const;
  bool fits(size_t rowSize) const;
  // Appends a row; returns its slot. The row must fit.
  uint8_t append(std::span<const uint8_t> row);
  // Start and end offsets of a slot's bytes (end = start of the previous slot, or 4096).
  size_t rowStart(uint8_t slot) const;
  size_t rowEnd(uint8_t slot) const;
  std::span<uint8_t> row(uint8_t slot);
  // True for slots that hold neither a deleted row nor an overflow pointer.
  bool isLive(uint8_t slot) const;
  void markDeleted(uint8_t slot);
  // Removes the rows in `slots` (each must be a slot of the page) and gives their space back:
  // see compact(). Slot numbers of the other rows do not change.
  void removeRows(std::span<const uint8_t> slots);
  // Repacks the rows against the page end and empties the extents of deleted slots (0xC000);
  // rows with one flag bit (moved rows and their pointers) keep their bytes. The slot count
  // stays: mdbtools reads slot 0 of a data page without rows as a row. Throws for a slot
  // table that does not describe the page.
  void compact();
  // Like fits() and append(), but the row goes into the first removed slot when there is one,
  // so the slot table does not grow with every delete and insert.
  bool fitsPlacing(size_t rowSize) const;
  uint8_t place(std::span<const uint8_t> row);
  std::optional<uint8_t> firstRemovedSlot() const;
  // Replaces a row by one of a different size, moving the rows stored below it.
  // Used for usage-map rows that grow; the caller checks there is room.
  void replace(uint8_t slot, std::span<const uint8_t> row);

 private:
  uint16_t slotWord(uint8_t slot) const;
  PageBytes& p_;
};

}  // namespace jet
