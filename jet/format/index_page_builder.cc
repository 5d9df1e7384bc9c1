#include "jet/format/index_page_builder.h"

#include <cassert>
#include <cstring>

#include "jet/util/byte_view.h"
#include "jet/util/error.h"
#include "jet/util/byte_builder.h"

namespace jet {
namespace {
constexpr size_t kBitmapStart = 0x1B;
}

size_t indexEntriesSize(const std::vector<IndexKey>& entries) {
  size_t n = 0;
  for (const auto& e : entries) n += e.size();
  return n;
}

PageBytes buildIndexPage(const IndexPageContent& c) {
  const size_t used = indexEntriesSize(c.entries);
  if (used > kIndexEntrySpace) throw Error(errc::kUnspecified, "Index entries do not fit one index page.");
  PageBytes p{};
  p[0] = c.kind;
  p[1] = 0x01;
  le::put16(p, 2, static_cast<uint16_t>(kIndexEntrySpace - used));
  le::put32(p, 4, c.owner);
  le::put32(p, 12, c.prevPage);
  le::put32(p, 16, c.nextPage);
  le::put32(p, 20, c.tailPage);
  size_t pos = 0;
  for (const auto& e : c.entries) {
    assert(!e.empty());
    std::memcpy(p.data() + kIndexEntriesStart + pos, e.data(), e.size());
    pos += e.size();
    p[kBitmapStart + pos / 8] |= static_cast<uint8_t>(1u << (pos % 8));
  }
  return p;
}

IndexPageContent parseIndexPage(const PageBytes& p, uint32_t number) {
  IndexPageContent c;
  c.kind = p[0];
  if (c.kind != page_type::kIndexLeaf && c.kind != page_type::kIndexNode) {
    throwCorrupt(number, "is not an index page (a page of type " + std::to_string(c.kind) + ")");
  }
  const ByteView view(p, number);
  c.owner = view.u32(4);
  c.prevPage = view.u32(12);
  c.nextPage = view.u32(16);
  c.tailPage = view.u32(20);
  const uint16_t prefixLen = view.u16(0x18);
  const uint16_t free = view.u16(2);
  if (free > kIndexEntrySpace) {
    throwCorrupt(number, "is an index page with more free space (" + std::to_string(free) + " bytes) than room");
  }
  const size_t used = kIndexEntrySpace - free;
  std::vector<uint8_t> prefix;
  size_t start = 0;
  for (size_t pos = 1; pos <= used; ++pos) {
    if (!((p[kBitmapStart + pos / 8] >> (pos % 8)) & 1)) continue;
    IndexKey e;
    if (!c.entries.empty()) e = prefix;
    e.insert(e.end(), p.begin() + kIndexEntriesStart + start, p.begin() + kIndexEntriesStart + pos);
    if (c.entries.empty()) {
      if (prefixLen > e.size()) throwCorrupt(number, "is an index page whose shared prefix is longer than its first entry");
      prefix.assign(e.begin(), e.begin() + prefixLen);
    }
    c.entries.push_back(std::move(e));
    start = pos;
  }
  // Bytes the free space counts as used but no entry holds would be entries lost unseen.
  if (start != used) throwCorrupt(number, "is an index page whose entries end before its free space starts");
  return c;
}

}  // namespace jet
