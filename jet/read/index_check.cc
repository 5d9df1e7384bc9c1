#include "jet/read/index_check.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <unordered_set>

#include "jet/util/damage.h"
#include "jet/format/index_key.h"
#include "jet/format/index_page_builder.h"
#include "jet/format/pager.h"
#include "jet/read/table_scan.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

// Far deeper than any real index (a few levels hold millions of rows); a deeper tree is a loop
// or garbage.
constexpr size_t kMaxLevels = 16;
constexpr size_t kNone = std::numeric_limits<size_t>::max();
// The General sort order of Access 2000-2003 ("General legacy"), the one index_key.h encodes.
constexpr uint16_t kGeneralSortLcid = 1033;

struct LevelPage {
  uint32_t page = 0;
  size_t parent = kNone;           // position in the level above
  std::optional<IndexKey> stated;  // the parent's entry for it, child pointer cut off (none: tail)
  bool sound = false;              // read and parsed
  uint32_t prev = 0, next = 0;
  size_t firstChild = 0, children = 0;  // positions in the level below
  IndexKey greatest;                    // the greatest entry beneath (empty: none)
  bool greatestKnown = false;           // false when a page beneath could not be read
};

uint32_t bigEndian(const IndexKey& e, size_t at, size_t bytes) {
  uint32_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v = (v << 8) | e[at + i];
  return v;
}

// "page 7 is ..." -> "is ...", to say it of the index's page.
std::string withoutPage(const std::string& problem) {
  const size_t space = problem.find(' ', 5);
  return space == std::string::npos ? problem : problem.substr(space + 1);
}

// One kind of problem that may repeat entry after entry: said once, with how often.
struct Tally {
  size_t count = 0;
  uint32_t page = 0;
  std::string first;
  void add(uint32_t at, const std::string& text) {
    if (count++ == 0) {
      page = at;
      first = text;
    }
  }
};

class IndexChecker {
 public:
  IndexChecker(Pager& pager, const TableDef& def, size_t realIndex, std::span<const RowPointer> liveRows,
               std::vector<IntegrityProblem>& out, size_t limit)
      : pager_(pager), def_(def), index_(def.realIndexes.at(realIndex)), live_(liveRows), out_(out),
        limit_(limit), seen_(liveRows.size(), 0) {
    name_ = "#" + std::to_string(realIndex);
    for (const auto& li : def.indexes) {
      if (li.realIndex == realIndex) {
        name_ = "'" + toUtf8(li.name) + "'";
        break;
      }
    }
    planKeys();
  }

  void run() {
    std::vector<LevelPage> level(1);
    level[0].page = index_.firstPage;
    std::vector<std::vector<LevelPage>> levels;
    for (;;) {
      if (full()) return;
      std::vector<LevelPage> below;
      const bool leaves = readLevel(level, below);
      levels.push_back(std::move(level));
      if (leaves || below.empty()) break;
      if (levels.size() == kMaxLevels) {
        problem(below.front().page, "lies deeper than " + std::to_string(kMaxLevels) + " levels");
        report(loops_, "pages reached again");
        return;  // the leaves are not reached: what they would say is not known
      }
      level = std::move(below);
    }
    for (auto& l : levels) checkLinks(l, &l != &levels.back());
    checkNodeEntries(levels);
    finish();
  }

 private:
  bool full() const { return out_.size() >= limit_; }
  void problem(uint32_t page, const std::string& text) {
    if (!full()) out_.push_back({def_.name, page, "page " + std::to_string(page) + " of index " + name_ + " " + text});
  }
  void report(const Tally& t, const std::string& what) {
    if (t.count == 0) return;
    std::string text = t.first;
    if (t.count > 1) text += " (and " + std::to_string(t.count - 1) + " more " + what + ")";
    if (!full()) out_.push_back({def_.name, t.page, std::move(text)});
  }

  // Reads the pages of one level in order, filling in what the next level holds. True when
  // this is the leaf level.
  bool readLevel(std::vector<LevelPage>& level, std::vector<LevelPage>& below) {
    std::optional<uint8_t> kind;
    for (size_t i = 0; i < level.size() && !full(); ++i) {
      LevelPage& lp = level[i];
      if (!visited_.insert(lp.page).second) {
        loops_.add(lp.page, "page " + std::to_string(lp.page) + " of index " + name_ +
                                " is reached twice in the tree (the index loops)");
        continue;
      }
      if (lp.page == 0) {
        problem(0, "is the file's header, not an index page");
        continue;
      }
      if (lp.page >= pager_.pageCount()) {
        problem(lp.page, "lies beyond the end of the file");
        continue;
      }
      PageRef ref = pager_.read(lp.page);
      if (ref->bytes().size() != kPageSize) {
        problem(lp.page, "is not a Jet 4 page");
        continue;
      }
      PageBytes bytes;
      std::copy(ref->bytes().begin(), ref->bytes().end(), bytes.begin());
      IndexPageContent c;
      try {
        c = parseIndexPage(bytes, lp.page);
      } catch (const DamageError& e) {
        problem(lp.page, withoutPage(e.problem()));
        continue;
      }
      if (c.owner != def_.firstPage()) {
        problem(lp.page, "belongs to the table on page " + std::to_string(c.owner));
        continue;
      }
      if (!kind) kind = c.kind;
      if (c.kind != *kind) {
        problem(lp.page, std::string("is a ") + (c.kind == page_type::kIndexLeaf ? "leaf" : "node") +
                             " on a level of " + (*kind == page_type::kIndexLeaf ? "leaves" : "nodes"));
        continue;
      }
      lp.sound = true;
      lp.prev = c.prevPage;
      lp.next = c.nextPage;
      if (c.kind == page_type::kIndexLeaf) readLeaf(lp, c);
      else readNode(lp, i, c, below);
    }
    return kind == page_type::kIndexLeaf;
  }

  void readNode(LevelPage& lp, size_t at, const IndexPageContent& c, std::vector<LevelPage>& below) {
    lp.firstChild = below.size();
    for (const IndexKey& e : c.entries) {
      if (e.size() <= kIndexRowPointerBytes + kIndexChildBytes) {
        problem(lp.page, "holds a node entry too short for its pointers");
        break;  // the children named so far are still walked, and counted as this page's
      }
      LevelPage child;
      child.page = indexEntryChild(e);
      child.parent = at;
      child.stated = IndexKey(e.begin(), e.end() - kIndexChildBytes);
      below.push_back(std::move(child));
    }
    if (c.tailPage != 0) {
      LevelPage tail;
      tail.page = c.tailPage;
      tail.parent = at;
      below.push_back(std::move(tail));
    }
    lp.children = below.size() - lp.firstChild;
    if (lp.children == 0) problem(lp.page, "is a node without children");
    if (!std::is_sorted(c.entries.begin(), c.entries.end())) problem(lp.page, "holds node entries out of order");
  }

  void readLeaf(LevelPage& lp, const IndexPageContent& c) {
    for (const IndexKey& e : c.entries) {
      if (e.size() <= kIndexRowPointerBytes) {
        problem(lp.page, "holds a leaf entry too short for its row pointer");
        return;
      }
      if (havePrevious_ && !(previous_ < e)) {
        order_.add(lp.page, "page " + std::to_string(lp.page) + " of index " + name_ +
                                " holds an entry that does not follow the one before it");
      }
      previous_ = e;
      havePrevious_ = true;
      checkEntry(lp.page, e);
    }
    if (!c.entries.empty()) lp.greatest = c.entries.back();
    lp.greatestKnown = true;
  }

  void checkEntry(uint32_t page, const IndexKey& e) {
    const RowPointer row{bigEndian(e, e.size() - 4, 3), e.back()};
    const auto where = [&] {
      return "page " + std::to_string(page) + " of index " + name_ + " holds an entry for row " +
             std::to_string(row.row) + " of page " + std::to_string(row.page);
    };
    const auto it = std::lower_bound(live_.begin(), live_.end(), row,
                                     [](const RowPointer& a, const RowPointer& b) { return a.raw() < b.raw(); });
    if (it == live_.end() || !(*it == row)) {
      dead_.add(page, where() + ", which is no live row of the table");
      return;
    }
    uint8_t& seen = seen_[static_cast<size_t>(it - live_.begin())];
    if (seen) {
      twice_.add(page, where() + ", a row it already has an entry for");
      return;
    }
    seen = 1;
    if (auto key = rowKey(row); key && !std::equal(key->begin(), key->end(), e.begin(), e.end() - kIndexRowPointerBytes)) {
      wrongKey_.add(page, where() + " whose key is not the row's");
    }
  }

  // The key columns, when every one is of a kind whose key index_key.h computes.
  void planKeys() {
    for (const auto& ic : index_.columns) {
      auto pos = std::find_if(def_.columns.begin(), def_.columns.end(),
                              [&](const ColumnDef& c) { return c.number == ic.columnNumber; });
      if (pos == def_.columns.end() || !ic.ascending()) return;
      const bool text = pos->type == ColumnType::Text && pos->sortLcid() == kGeneralSortLcid && pos->sortVersion() == 0;
      if (pos->type != ColumnType::Long && !text) return;
      keyColumns_.push_back(static_cast<size_t>(pos - def_.columns.begin()));
    }
    keyable_ = !keyColumns_.empty();
  }

  std::optional<IndexKey> rowKey(RowPointer row) {
    try {
      if (!keyable_ || !readRow(pager_, def_, row, keyColumns_, values_)) return std::nullopt;
    } catch (const Error&) {
      return std::nullopt;  // a damaged row is the row check's to report
    }
    IndexKey key;
    for (size_t i = 0; i < keyColumns_.size(); ++i) {
      const Value& v = values_[i];
      if (def_.columns[keyColumns_[i]].type == ColumnType::Long) {
        appendLongKey(key, v.isNull() ? std::nullopt : std::optional<int32_t>(v.get<int32_t>()));
      } else if (v.isNull()) {
        appendTextKey(key, std::nullopt);
      } else if (isIndexableText(v.get<std::u16string>())) {
        appendTextKey(key, std::u16string_view(v.get<std::u16string>()));
      } else {
        return std::nullopt;  // a character whose code index_key.h does not know
      }
    }
    return key;
  }

  // Each sound page's links name its neighbours on the level. Leaves are linked end to end;
  // node pages only within one parent (Jackcess IndexPageCache.splitDataPage), so at a parent
  // boundary nodes may also both say 0.
  void checkLinks(const std::vector<LevelPage>& level, bool nodes) {
    for (size_t i = 0; i < level.size() && !full(); ++i) {
      const LevelPage& lp = level[i];
      if (!lp.sound) continue;
      const bool boundaryBefore = nodes && i > 0 && level[i - 1].parent != lp.parent;
      const bool boundaryAfter = nodes && i + 1 < level.size() && level[i + 1].parent != lp.parent;
      const uint32_t before = i > 0 ? level[i - 1].page : 0;
      const uint32_t after = i + 1 < level.size() ? level[i + 1].page : 0;
      if (lp.prev != before && !(boundaryBefore && lp.prev == 0)) {
        problem(lp.page, "names page " + std::to_string(lp.prev) + " as the one before it on its level, not page " +
                             std::to_string(before));
      }
      if (lp.next != after && !(boundaryAfter && lp.next == 0)) {
        problem(lp.page, "names page " + std::to_string(lp.next) + " as the one after it on its level, not page " +
                             std::to_string(after));
      }
    }
  }

  // Bottom up: a node's greatest entry is its last child's; each node entry must equal its
  // child's greatest.
  void checkNodeEntries(std::vector<std::vector<LevelPage>>& levels) {
    for (size_t l = levels.size() - 1; l-- > 0;) {
      for (LevelPage& lp : levels[l]) {
        if (!lp.sound || lp.children == 0) continue;
        for (size_t k = lp.firstChild; k < lp.firstChild + lp.children && !full(); ++k) {
          const LevelPage& child = levels[l + 1][k];
          if (child.greatestKnown && child.stated && *child.stated != child.greatest) {
            problem(lp.page, "holds an entry for page " + std::to_string(child.page) +
                                 " that is not the greatest entry beneath it");
          }
        }
        const LevelPage& last = levels[l + 1][lp.firstChild + lp.children - 1];
        lp.greatest = last.greatest;
        lp.greatestKnown = last.greatestKnown;
      }
    }
  }

  void finish() {
    report(loops_, "pages reached again");
    report(order_, "such entries");
    report(dead_, "entries for no live row");
    report(twice_, "second entries");
    report(wrongKey_, "entries with another key");
    if (index_.flags & index_flag::kIgnoreNulls) return;  // rows with Null keys have no entry
    Tally missing;
    for (size_t i = 0; i < live_.size(); ++i) {
      if (!seen_[i]) {
        missing.add(live_[i].page, "page " + std::to_string(live_[i].page) + " holds row " +
                                       std::to_string(live_[i].row) + ", which index " + name_ + " has no entry for");
      }
    }
    report(missing, "rows without an entry");
  }

  Pager& pager_;
  const TableDef& def_;
  const RealIndexDef& index_;
  std::span<const RowPointer> live_;
  std::vector<IntegrityProblem>& out_;
  size_t limit_;
  std::string name_;
  std::vector<uint8_t> seen_;  // per live row: an entry names it
  std::unordered_set<uint32_t> visited_;
  IndexKey previous_;
  bool havePrevious_ = false;
  std::vector<size_t> keyColumns_;
  bool keyable_ = false;
  std::vector<Value> values_;
  Tally loops_, order_, dead_, twice_, wrongKey_;
};

}  // namespace

void checkIndex(Pager& pager, const TableDef& def, size_t realIndex, std::span<const RowPointer> liveRows,
                std::vector<IntegrityProblem>& out, size_t limit) {
  if (realIndex >= def.realIndexes.size() || out.size() >= limit) return;
  IndexChecker(pager, def, realIndex, liveRows, out, limit).run();
}

}  // namespace jet
