// Editing data pages (type 0x01) in place: appending, removing and repacking rows; the layout
// is in data_page.h, which reads them. A removed row gets both flag bits (0xC000) and an empty
// extent: its slot stays, pointing where the previous row starts, and its bytes go back to the
// page. That is how Jet leaves the pages it deletes from (slot words 0xC000 | offset, 0xD000
// for slot 0).
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
