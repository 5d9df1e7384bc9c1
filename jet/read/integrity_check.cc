#include "jet/read/integrity_check.h"

#include <algorithm>
#include <numeric>

#include "jet/util/damage.h"
#include "jet/format/data_page.h"
#include "jet/format/long_value.h"
#include "jet/read/database.h"
#include "jet/read/index_check.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map.h"

namespace jet {
namespace {

constexpr uint32_t kGlobalMapPage = 1;

class Checker {
 public:
  Checker(Database& db, CheckDepth depth, size_t limit) : db_(db), depth_(depth), limit_(limit) {}

  std::vector<IntegrityProblem> run() {
    checkGlobalMap();
    for (const CatalogEntry& entry : db_.tables(true)) {
      if (done()) break;
      checkTable(entry);
    }
    return std::move(problems_);
  }

 private:
  bool done() const { return problems_.size() >= limit_; }

  void add(const std::u16string& table, uint32_t page, std::string problem) {
    if (!done()) problems_.push_back({table, page, std::move(problem)});
  }
  void add(const std::u16string& table, const DamageError& e) { add(table, e.page(), e.problem()); }

  // Page 1, row 0: which pages of the file are in use, where a writer marks the pages it adds.
  void checkGlobalMap() {
    try {
      const DataPage page(db_.pager().read(kGlobalMapPage), "usage map");
      if (std::string problem = page.layoutProblem(); !problem.empty()) throwCorrupt(kGlobalMapPage, problem);
      readUsageMap(db_.pager(), RowPointer{kGlobalMapPage, 0}.raw(), /*inverted=*/true);
    } catch (const DamageError& e) {
      add({}, e);
    }
  }

  void checkTable(const CatalogEntry& entry) {
    std::shared_ptr<const TableDef> def;
    try {
      def = db_.tableDef(entry.name);
    } catch (const DamageError& e) {
      add(entry.name, e);
      return;
    }
    const size_t before = problems_.size();
    checkMaps(*def);
    if (problems_.size() != before) return;  // the rows would only repeat what the pages said
    // A writer builds on the system tables whole; of user tables on their structure alone,
    // since it reads their rows as it changes them.
    if (depth_ == CheckDepth::kFull || isSystemTable(entry, *def)) checkRows(def);
  }

  // By the catalog's flags, and since a damaged catalog row may have lost them, by the
  // definition's table type or the name prefix Access keeps for its own tables.
  static bool isSystemTable(const CatalogEntry& entry, const TableDef& def) {
    return entry.isSystem() || def.tableType == kTableTypeSystem ||
           foldCase(std::u16string_view(entry.name).substr(0, 4)) == foldCase(u"MSys");
  }

  // The definition's usage maps, those of its long-value columns, and every page they give
  // the table, each problem on its own. A writer puts rows on the pages of the free-space
  // map, so one outside the owned pages would hold rows no reader finds (in every file of
  // Access's we have seen, the free pages are owned ones).
  void checkMaps(const TableDef& def) {
    std::vector<uint32_t> pages, free;
    std::vector<uint32_t> longValuePages;
    try {
      pages = readUsageMap(db_.pager(), def.ownedPagesMap);
      if (def.freePagesMap != 0) free = readUsageMap(db_.pager(), def.freePagesMap);
      for (const ColumnDef& column : def.columns) {
        if (column.lvOwnedMap != 0) {
          const std::vector<uint32_t> more = readUsageMap(db_.pager(), column.lvOwnedMap);
          longValuePages.insert(longValuePages.end(), more.begin(), more.end());
        }
        if (column.lvFreeMap != 0) readUsageMap(db_.pager(), column.lvFreeMap);
      }
    } catch (const DamageError& e) {
      add(def.name, e);
      return;
    }
    Pager& pager = db_.pager();
    for (size_t i = 0, readAhead = 0; i < pages.size() && !done(); ++i) {
      if (i >= readAhead) readAhead = pager.readAheadRun(pages, i);
      try {
        ownDataPage(pager, pager.read(pages[i]), def.firstPage());
      } catch (const DamageError& e) {
        add(def.name, e);
      }
    }
    for (uint32_t page : free) {
      if (!std::binary_search(pages.begin(), pages.end(), page)) {
        add(def.name, page, "page " + std::to_string(page) + " is in its free-space map but not one of its pages");
      }
    }
    for (uint32_t page : longValuePages) {
      if (done()) break;
      try {
        const DataPage data = longValuePage(pager, page);
        if (std::string problem = data.layoutProblem(); !problem.empty()) throwCorrupt(page, problem);
      } catch (const DamageError& e) {
        add(def.name, e);
      }
    }
  }

  // Every column of every row, long values included, and the stored count: before writing
  // this is a system table's, which no delete of the writer's sets anew.
  void checkRows(const std::shared_ptr<const TableDef>& def) {
    std::vector<size_t> columns(def->columns.size());
    std::iota(columns.begin(), columns.end(), 0);
    std::vector<RowPointer> live;
    try {
      TableScan scan(db_.pager(), def, columns, ScanOrder::kFirstPageFirst, RowCountCheck::kCompare);
      while (scan.next()) live.push_back(scan.locator());
    } catch (const DamageError& e) {
      add(def->name, e);
      return;  // against part of the rows every index would seem to hold strangers
    }
    // Jet 3 index pages have a layout of their own, which nothing here reads: a Jet 3 file is
    // never written, and its rows are read without its indexes.
    if (def->jet3) return;
    std::sort(live.begin(), live.end(), [](RowPointer a, RowPointer b) { return a.raw() < b.raw(); });
    for (size_t i = 0; i < def->realIndexes.size() && !done(); ++i) {
      checkIndex(db_.pager(), *def, i, live, problems_, limit_);
    }
  }

  Database& db_;
  CheckDepth depth_;
  size_t limit_;
  std::vector<IntegrityProblem> problems_;
};

}  // namespace

std::vector<IntegrityProblem> checkIntegrity(Database& db, CheckDepth depth, size_t limit) {
  return Checker(db, depth, limit).run();
}

}  // namespace jet
