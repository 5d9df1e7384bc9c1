// Adding and removing index entries, so that indexes stay exact as rows come and go.
//
// The entry's leaf is found from the root: at each node level we follow the first node entry
// that is not smaller than the entry (a node entry repeats the greatest entry of its child).
// A new greatest entry goes into the last leaf, and the node entries on the way down are
// raised to it. Leaves are rewritten whole, without a shared prefix. A leaf that would
// overflow is refused with an error rather than split.
#include <algorithm>

#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/format/index_page_builder.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

constexpr int kMaxDepth = 8;

bool lessThanNodeEntry(const IndexKey& entry, const IndexKey& nodeEntry) {
  return std::lexicographical_compare(entry.begin(), entry.end(), nodeEntry.begin(), nodeEntry.end() - kIndexChildBytes);
}

bool sameKey(const IndexKey& a, const IndexKey& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end() - kIndexRowPointerBytes, b.begin());
}

}  // namespace

uint32_t DatabaseWriter::findLeaf(const RealIndexDef& ri, const std::vector<uint8_t>& entry,
                                  std::vector<std::pair<uint32_t, size_t>>* path, bool* beyondLast) {
  uint32_t page = ri.firstPage;
  bool beyond = false;
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) throw Error(errc::kUnspecified, "An index is deeper than expected; the file may be damaged.");
    auto content = parseIndexPage(pages_.read(page), page);
    if (content.kind == page_type::kIndexLeaf) break;
    if (content.entries.empty()) throw Error(errc::kUnspecified, "An index node page is empty.");
    size_t pick = content.entries.size() - 1;
    bool past = true;
    for (size_t i = 0; i < content.entries.size(); ++i) {
      if (content.entries[i].size() < kIndexChildBytes + kIndexRowPointerBytes) throw Error(errc::kUnspecified, "Damaged index node entry.");
      if (!lessThanNodeEntry(content.entries[i], entry)) {
        pick = i;
        past = false;
        break;
      }
    }
    beyond = beyond || past;
    if (path) path->emplace_back(page, pick);
    page = indexEntryChild(content.entries[pick]);
  }
  if (beyondLast) *beyondLast = beyond;
  return page;
}

void DatabaseWriter::insertIndexEntry(TableState& t, size_t realIndex, std::vector<uint8_t> entry, bool newKey) {
  auto& ri = t.def.realIndexes.at(realIndex);
  std::vector<std::pair<uint32_t, size_t>> path;
  bool beyond = false;
  const uint32_t page = findLeaf(ri, entry, &path, &beyond);
  auto leaf = parseIndexPage(pages_.read(page), page);
  auto pos = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), entry);
  const bool seen = (pos != leaf.entries.end() && sameKey(*pos, entry)) ||
                    (pos != leaf.entries.begin() && sameKey(*(pos - 1), entry));
  if (seen && ri.unique()) {
    throw Error(errc::kIntegrityViolation, "The row would duplicate a value in the unique index of table '" +
                                               toUtf8(t.def.name) + "'.");
  }
  leaf.entries.insert(pos, entry);
  if (indexEntriesSize(leaf.entries) > kIndexEntrySpace) {
    throw Error(errc::kUnspecified, "An index page of table '" + toUtf8(t.def.name) +
                                        "' is full; compact the database in Access first.");
  }
  const PageBytes rebuilt = buildIndexPage(leaf);
  if (beyond) {
    for (const auto& [nodePage, at] : path) {
      auto node = parseIndexPage(pages_.read(nodePage), nodePage);
      auto& e = node.entries[at];
      IndexKey raised = entry;
      raised.insert(raised.end(), e.end() - kIndexChildBytes, e.end());
      e = std::move(raised);
      pages_.edit(nodePage) = buildIndexPage(node);
    }
  }
  pages_.edit(page) = rebuilt;
  if (newKey && !seen) ++ri.distinctKeys;
}

bool DatabaseWriter::indexHasKey(TableState& t, size_t realIndex, const std::vector<uint8_t>& key) {
  IndexKey probe = key;
  probe.insert(probe.end(), kIndexRowPointerBytes, 0);  // sorts before every entry with this key
  const uint32_t page = findLeaf(t.def.realIndexes.at(realIndex), probe, nullptr, nullptr);
  const auto leaf = parseIndexPage(pages_.read(page), page);
  auto pos = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), probe);
  return pos != leaf.entries.end() && sameKey(*pos, probe);
}

void DatabaseWriter::removeIndexEntry(TableState& t, size_t realIndex, const std::vector<uint8_t>& entry) {
  auto& ri = t.def.realIndexes.at(realIndex);
  const uint32_t page = findLeaf(ri, entry, nullptr, nullptr);
  auto leaf = parseIndexPage(pages_.read(page), page);
  auto pos = std::find(leaf.entries.begin(), leaf.entries.end(), entry);
  if (pos == leaf.entries.end()) {
    throw Error(errc::kUnspecified, "An index of table '" + toUtf8(t.def.name) + "' lacks the entry of a row; "
                                        "the file may be damaged.");
  }
  pos = leaf.entries.erase(pos);
  const bool stillThere = (pos != leaf.entries.end() && sameKey(*pos, entry)) ||
                          (pos != leaf.entries.begin() && sameKey(*(pos - 1), entry));
  // Node entries above may now exceed the leaf's greatest entry; they still bound it.
  pages_.edit(page) = buildIndexPage(leaf);
  if (!stillThere && ri.distinctKeys > 0) --ri.distinctKeys;
}

}  // namespace jet
