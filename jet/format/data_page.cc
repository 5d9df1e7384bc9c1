#include "jet/format/data_page.h"

#include <string>

namespace jet {

DataPage::DataPage(PageRef page, const char* what) : page_(std::move(page)), view_(page_->view()) {
  if (page_->type() != page_type::kData) {
    throwCorrupt(page_->number(), std::string("is not a ") + what + " page (type " +
                                      std::to_string(page_->type()) + ")");
  }
  const bool jet3 = isJet3PageSize(view_.size());
  rowCount_ = view_.u16(jet3 ? kDataPageRowCountOffsetJet3 : kDataPageRowCountOffset);
  slotsOffset_ = jet3 ? kDataPageSlotsOffsetJet3 : kDataPageSlotsOffset;
  if (slotsOffset_ + 2 * size_t{rowCount_} > view_.size()) {
    throwCorrupt(page_->number(), "claims more row slots than fit");
  }
}

std::string DataPage::layoutProblem() const {
  const size_t slotsEnd = slotsOffset_ + 2 * size_t{rowCount_};
  size_t end = view_.size();
  for (uint16_t r = 0; r < rowCount_; ++r) {
    const size_t start = slot(r) & kRowOffsetMask;
    if (start < slotsEnd || start > end) return "has a row slot " + std::to_string(r) + " outside the row area";
    end = start;
  }
  if (view_.u16(kDataPageFreeSpaceOffset) != end - slotsEnd) return "has a free space its rows do not leave";
  return {};
}

ByteView DataPage::row(uint16_t r) const {
  if (r >= rowCount_) {
    throwCorrupt(number(), "has no row " + std::to_string(r) + " (it holds " + std::to_string(rowCount_) + ")");
  }
  size_t start = slot(r) & kRowOffsetMask;
  size_t end = r == 0 ? view_.size() : (slot(r - 1) & kRowOffsetMask);
  size_t slotsEnd = slotsOffset_ + 2 * size_t{rowCount_};
  if (start < slotsEnd || end > view_.size() || start > end) {
    throwCorrupt(number(), "has a row slot " + std::to_string(r) + " outside the row area");
  }
  return view_.sub(start, end - start);
}

}  // namespace jet
