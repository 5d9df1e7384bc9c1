#include "jet/format/usage_map.h"

#include "jet/format/data_page.h"
#include "jet/format/pager.h"

namespace jet {
namespace {

void collectBits(const ByteView& bitmap, uint64_t firstPage, uint32_t pageCount, uint32_t mapPage,
                 bool inverted, std::vector<uint32_t>& out) {
  auto bytes = bitmap.bytes();
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t b = bytes[i];
    while (b != 0) {
      int bit = __builtin_ctz(b);
      b &= static_cast<uint8_t>(b - 1);
      uint64_t page = firstPage + i * 8 + static_cast<uint64_t>(bit);
      if (page >= pageCount) {
        if (inverted) return;  // free pages past the end: where the file may grow
        throwCorrupt(mapPage, "holds a usage map that names page " + std::to_string(page) +
                                  ", beyond the end of the file");
      }
      out.push_back(static_cast<uint32_t>(page));
    }
  }
}

}  // namespace

std::vector<uint32_t> decodeUsageMap(Pager& pager, const ByteView& row, bool inverted) {
  std::vector<uint32_t> pages;
  uint8_t kind = row.u8(0);
  if (kind == usage_map_type::kInline) {
    uint32_t start = row.u32(1);
    collectBits(row.from(5), start, pager.pageCount(), row.page(), inverted, pages);
  } else if (kind == usage_map_type::kReference) {
    const uint64_t perMapPage = uint64_t{pager.pageSize() - kUsageMapPageBitmapOffset} * 8;
    for (size_t i = 0; 1 + 4 * i + 4 <= row.size(); ++i) {
      uint32_t mapPage = row.u32(1 + 4 * i);
      if (mapPage == 0) continue;
      PageRef p = pager.readTyped(mapPage, page_type::kUsageMap, "usage map");
      collectBits(p->view().from(kUsageMapPageBitmapOffset), i * perMapPage, pager.pageCount(), mapPage,
                  inverted, pages);
    }
  } else {
    throwCorrupt(row.page(), "holds a usage map of unknown kind " + std::to_string(kind));
  }
  return pages;
}

std::vector<uint32_t> readUsageMap(Pager& pager, uint32_t rowPointer, bool inverted) {
  RowPointer ptr = RowPointer::fromRaw(rowPointer);
  DataPage page(pager.read(ptr.page), "usage map");
  return decodeUsageMap(pager, page.row(ptr.row), inverted);
}

}  // namespace jet
