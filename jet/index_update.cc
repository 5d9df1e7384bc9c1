// Adding one entry to an index b-tree (the writer keeps the catalog's indexes exact).
//
// The entry goes into the leaf whose range covers it: at each node level we follow the first
// node entry that is not smaller than the new entry (a node entry repeats the greatest entry
// of its child). A new greatest entry goes into the last leaf, and the node entries on the
// way down are raised to it. Leaves are rewritten whole, without a shared prefix. A leaf
// that would overflow is refused with an error rather than split: catalog indexes of the
// files we write stay far below one page.
#include <algorithm>

#include "jet/database_writer.h"
#include "jet/database_writer_state.h"
#include "jet/error.h"
#include "jet/index_page_builder.h"

namespace jet {
namespace {

constexpr int kMaxDepth = 8;
constexpr size_t kChildBytes = 4;

uint32_t childOf(const IndexKey& nodeEntry) {
  const size_t n = nodeEntry.size();
  return (uint32_t{nodeEntry[n - 4]} << 24) | (uint32_t{nodeEntry[n - 3]} << 16) |
         (uint32_t{nodeEntry[n - 2]} << 8) | uint32_t{nodeEntry[n - 1]};
}

bool lessThanNodeEntry(const IndexKey& entry, const IndexKey& nodeEntry) {
  return std::lexicographical_compare(entry.begin(), entry.end(), nodeEntry.begin(), nodeEntry.end() - kChildBytes);
}

}  // namespace

void DatabaseWriter::insertIndexEntry(TableState& t, size_t realIndex, std::vector<uint8_t> entry, bool newKey) {
  auto& ri = t.def.realIndexes.at(realIndex);
  struct Step {
    uint32_t page;
    size_t entry;
  };
  std::vector<Step> path;
  uint32_t page = ri.firstPage;
  bool raiseNodes = false;
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) throw Error(errc::kUnspecified, "An index is deeper than expected; the file may be damaged.");
    auto content = parseIndexPage(pages_.read(page));
    if (content.kind == page_type::kIndexLeaf) break;
    if (content.entries.empty()) throw Error(errc::kUnspecified, "An index node page is empty.");
    size_t pick = content.entries.size() - 1;
    bool beyond = true;
    for (size_t i = 0; i < content.entries.size(); ++i) {
      if (content.entries[i].size() < kChildBytes + 4) throw Error(errc::kUnspecified, "Damaged index node entry.");
      if (!lessThanNodeEntry(content.entries[i], entry)) {
        pick = i;
        beyond = false;
        break;
      }
    }
    raiseNodes = raiseNodes || beyond;
    path.push_back({page, pick});
    page = childOf(content.entries[pick]);
  }

  auto leaf = parseIndexPage(pages_.read(page));
  auto pos = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), entry);
  const size_t keyLen = entry.size() - 4;  // without the row pointer
  auto sameKey = [&](const IndexKey& e) {
    return e.size() == entry.size() && std::equal(e.begin(), e.begin() + keyLen, entry.begin());
  };
  const bool seen = (pos != leaf.entries.end() && sameKey(*pos)) || (pos != leaf.entries.begin() && sameKey(*(pos - 1)));
  leaf.entries.insert(pos, entry);
  if (indexEntriesSize(leaf.entries) > kIndexEntrySpace) {
    throw Error(errc::kUnspecified, "An index page of table '" + std::string(t.def.name.begin(), t.def.name.end()) +
                                        "' is full; compact the database in Access first.");
  }
  const PageBytes rebuilt = buildIndexPage(leaf);
  if (raiseNodes) {
    for (const auto& step : path) {
      auto node = parseIndexPage(pages_.read(step.page));
      auto& e = node.entries[step.entry];
      IndexKey raised = entry;
      raised.insert(raised.end(), e.end() - kChildBytes, e.end());
      e = std::move(raised);
      pages_.edit(step.page) = buildIndexPage(node);
    }
  }
  pages_.edit(page) = rebuilt;
  if (newKey && !seen) ++ri.distinctKeys;
}

}  // namespace jet
