// Index pages: kind 0x04 leaf, 0x03 node.
//
//   0x00 u8 kind   0x01 u8 0x01   0x02 u16 free space (4096 - end of the last entry)
//   0x04 u32 owning TDEF page   0x08 u32 0
//   0x0C u32 previous page on this level   0x10 u32 next page   0x14 u32 tail page (nodes)
//   0x18 u16 length of the prefix shared by all entries   0x1A u8 0
//   0x1B 453 bytes  bitmap: bit k set = an entry ends k bytes after 0x1E0
//   0x1E0 entries back to back; the first in full, the others without the shared prefix
// Leaf entry: key + page (3 bytes BE) + row. Node entry: the same + child page (4 bytes BE);
// a node entry repeats the greatest entry of its child.
// We always write prefix length 0; pages written by Access may use a prefix and are read
// with it.
//
// Layout: docs/file-format.md#index-pages
#pragma once

#include <cstdint>
#include <vector>

#include "jet/format/index_key.h"
#include "jet/format/page_format.h"

namespace jet {

inline constexpr size_t kIndexEntriesStart = 0x1E0;
// An entry ends in the row it points at (page 3 bytes, slot 1), then on node pages the child.
inline constexpr size_t kIndexRowPointerBytes = 4;
inline constexpr size_t kIndexChildBytes = 4;
inline constexpr size_t kIndexEntrySpace = kPageSize - kIndexEntriesStart;  // 3616

struct IndexPageContent {
  uint8_t kind = page_type::kIndexLeaf;
  uint32_t owner = 0;
  uint32_t prevPage = 0, nextPage = 0, tailPage = 0;
  std::vector<IndexKey> entries;  // full entries, ascending
};

// Throws jet::Error when the entries do not fit one page.
PageBytes buildIndexPage(const IndexPageContent& content);
// Reads the entries of page `number` (expanding the shared prefix). Throws a DamageError naming
// the page when it is no index page or its header contradicts its entries.
IndexPageContent parseIndexPage(const PageBytes& page, uint32_t number);
size_t indexEntriesSize(const std::vector<IndexKey>& entries);
// The child page a node entry names, from its last kIndexChildBytes (big-endian).
inline uint32_t indexEntryChild(const IndexKey& nodeEntry) {
  const size_t n = nodeEntry.size();
  return (uint32_t{nodeEntry[n - 4]} << 24) | (uint32_t{nodeEntry[n - 3]} << 16) | (uint32_t{nodeEntry[n - 2]} << 8) |
         uint32_t{nodeEntry[n - 1]};
}

}  // namespace jet
