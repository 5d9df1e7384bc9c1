// A data page (type 0x01): table rows, long-value (LVAL) rows and usage-map rows.
//
// Layout (Jet 4):
//   0   1  0x01          1  1  0x01          2  2  free space
//   4   4  owning TDEF page ("LVAL" on long-value pages, 0 on usage-map pages)
//   8   4  zero          12 2  number of row slots
//   14  2n row slots: low 13 bits = start of the row; 0x8000 = deleted (or a moved row that
//          only its pointer may reach), 0x4000 = the row is a 4-byte pointer to the moved row.
// Jet 3 pages (2048 bytes) lack the zero word: the slot count is at 8, the slots from 10.
// Rows are packed downwards from the end of the page: slot 0 ends at the page end, slot i ends
// where slot i-1 starts. The free space is the gap between the slot table and the lowest row
// (so in every page Access or we wrote), deleted rows' extents included in the rows.
//
// Layout: docs/file-format.md#data-pages
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "jet/format/page_format.h"
#include "jet/format/pager.h"
#include "jet/util/byte_view.h"

namespace jet {

inline constexpr size_t kDataPageFreeSpaceOffset = 2;
inline constexpr size_t kDataPageOwnerOffset = 4;
inline constexpr size_t kDataPageRowCountOffset = 12;
inline constexpr size_t kDataPageSlotsOffset = 14;
inline constexpr size_t kDataPageRowCountOffsetJet3 = 8;
inline constexpr size_t kDataPageSlotsOffsetJet3 = 10;
inline constexpr uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr uint16_t kRowDeletedFlag = 0x8000;
inline constexpr uint16_t kRowOverflowFlag = 0x4000;
// Removed rows get both flag bits: every reader skips them whichever bit it tests.
inline constexpr uint16_t kRowDeletedFlags = kRowDeletedFlag | kRowOverflowFlag;
inline constexpr uint32_t kLvalPageOwner = 0x4C41564C;  // "LVAL"
inline constexpr uint16_t kMaxRowsPerPage = 255;

class DataPage {
 public:
  // Checks the page type; `what` names the expected content in the error.
  DataPage(PageRef page, const char* what = "data");

  uint32_t number() const { return page_->number(); }
  uint32_t owner() const { return view_.u32(kDataPageOwnerOffset); }
  uint16_t rowCount() const { return rowCount_; }
  uint16_t slot(uint16_t row) const { return view_.u16(slotsOffset_ + 2 * size_t{row}); }
  bool isDeleted(uint16_t row) const { return slot(row) & kRowDeletedFlag; }
  bool isOverflowPointer(uint16_t row) const {
    return (slot(row) & (kRowDeletedFlag | kRowOverflowFlag)) == kRowOverflowFlag;
  }
  // What is wrong with the slot table and the row area (a row outside the page or out of
  // order, a free space the rows do not leave), or empty when they hold together.
  std::string layoutProblem() const;
  // The bytes of a row, whatever its flags; throws a corrupt-page error when the slot table does
  // not describe a row inside the page.
  ByteView row(uint16_t row) const;
  const PageRef& page() const { return page_; }

 private:
  PageRef page_;
  ByteView view_;
  uint16_t rowCount_;
  uint8_t slotsOffset_;  // by the page's size: Jet 3 or Jet 4
};

}  // namespace jet
