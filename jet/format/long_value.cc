#include "jet/format/long_value.h"

#include <unordered_set>

#include "jet/format/data_page.h"
#include "jet/format/pager.h"

namespace jet {
DataPage longValuePage(Pager& pager, uint32_t number) {
  DataPage page(pager.read(number), "long value");
  if (page.owner() != kLvalPageOwner) throwCorrupt(number, "is not a long-value page");
  return page;
}

void readLongValue(Pager& pager, const ByteView& field, Bytes& out) {
  out.clear();
  if (field.size() == 0) return;
  uint32_t word = field.u32(0);
  size_t length = word & kLongValueLengthMask;
  uint32_t kind = word & ~kLongValueLengthMask;
  if (kind == kLongValueInline) {
    ByteView data = field.from(kLongValueHeaderSize);
    if (length > data.size()) throwCorrupt(field.page(), "holds an inline long value longer than its row");
    auto bytes = data.bytes().subspan(0, length);
    out.assign(bytes.begin(), bytes.end());
    return;
  }
  RowPointer ptr = RowPointer::fromRaw(field.u32(4));
  if (kind == kLongValueSingleRow) {
    DataPage page = longValuePage(pager, ptr.page);
    ByteView row = page.row(ptr.row);
    if (length > row.size()) throwCorrupt(ptr.page, "holds a long value shorter than its length");
    auto bytes = row.bytes().subspan(0, length);
    out.assign(bytes.begin(), bytes.end());
    return;
  }
  if (kind != 0) throwCorrupt(field.page(), "holds a long value of unknown kind");

  // Never reserve from the stored length: a damaged header could ask for a gigabyte.
  std::unordered_set<uint32_t> seen;
  size_t remaining = length;
  while (remaining > 0) {
    if (ptr.page == 0 && ptr.row == 0) throwCorrupt(field.page(), "holds a long value whose chain ends early");
    if (!seen.insert(ptr.raw()).second) throwCorrupt(ptr.page, "holds a long value chain that loops");
    DataPage page = longValuePage(pager, ptr.page);
    ByteView row = page.row(ptr.row);
    uint32_t next = row.u32(0);
    auto data = row.from(4).bytes();
    size_t take = std::min(remaining, data.size());
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
    remaining -= take;
    ptr = RowPointer::fromRaw(next);
  }
}

}  // namespace jet
