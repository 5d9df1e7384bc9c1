#include "jet/write/row_release.h"

#include <algorithm>
#include <unordered_set>

#include "jet/format/data_page_builder.h"
#include "jet/util/error.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/format/long_value.h"
#include "jet/write/page_workspace.h"

namespace jet {
namespace {

Error damaged(const char* what) {
  return Error(errc::kUnspecified, std::string("A long value ") + what + "; the file may be damaged.");
}

}  // namespace

std::vector<RowPointer> longValueRows(PageWorkspace& pages, std::span<const uint8_t> field) {
  std::vector<RowPointer> rows;
  if (field.empty()) return rows;
  if (field.size() < kLongValueHeaderSize) throw damaged("header is too short");
  const uint32_t word = ByteView(field).u32(0);
  const uint32_t kind = word & ~kLongValueLengthMask;
  if (kind == kLongValueInline) return rows;
  auto at = RowPointer::fromRaw(ByteView(field).u32(4));
  if (kind == kLongValueSingleRow) {
    rows.push_back(at);
    return rows;
  }
  if (kind != 0) throw damaged("is of an unknown kind");
  std::unordered_set<uint32_t> seen;
  size_t remaining = word & kLongValueLengthMask;
  while (remaining > 0) {
    if (at.raw() == 0) throw damaged("chain ends early");
    if (!seen.insert(at.raw()).second) throw damaged("chain loops");
    if (at.page >= pages.pageCount()) throw damaged("chain leaves the file");
    PageBytes copy = pages.read(at.page);
    DataPageBuilder dp(copy);
    if (copy[0] != page_type::kData || dp.owner() != kLvalPageOwner || at.row >= dp.slotCount()) {
      throw damaged("chain points outside its pages");
    }
    const auto piece = dp.row(static_cast<uint8_t>(at.row));
    if (piece.size() < 4) throw damaged("chain piece is too short");
    rows.push_back(at);
    remaining -= std::min(remaining, piece.size() - 4);
    at = RowPointer::fromRaw(ByteView(piece).u32(0));
  }
  return rows;
}

void releaseRows(PageWorkspace& pages, uint32_t owner, uint32_t freeMap, std::span<const RowPointer> rows) {
  std::vector<RowPointer> sorted(rows.begin(), rows.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const RowPointer& a, const RowPointer& b) { return a.raw() < b.raw(); });
  std::vector<uint8_t> slots;
  for (size_t i = 0; i < sorted.size();) {
    const uint32_t page = sorted[i].page;
    slots.clear();
    for (; i < sorted.size() && sorted[i].page == page; ++i) slots.push_back(static_cast<uint8_t>(sorted[i].row));
    if (page == 0 || page >= pages.pageCount()) continue;
    const PageBytes& current = pages.read(page);
    if (current[0] != page_type::kData || ByteView(current).u32(4) != owner) continue;
    const uint16_t count = ByteView(current).u16(kDataPageRowCountOffset);
    std::erase_if(slots, [&](uint8_t s) {
      return s >= count || (ByteView(current).u16(kDataPageSlotsOffset + 2 * size_t{s}) & kRowDeletedFlags) == kRowDeletedFlags;
    });
    if (slots.empty()) continue;
    DataPageBuilder(pages.edit(page)).removeRows(slots);
    if (freeMap != 0 && !pages.hasUsage(freeMap, page)) pages.setUsage(freeMap, page, true, PageWorkspace::MapRole::kFreeSpace);
  }
}

}  // namespace jet
