#include "jet/sql/shared_scans.h"

#include <algorithm>

namespace jet::sql {

std::shared_ptr<ScannedTable> SharedScans::find(Database& source, const std::shared_ptr<const TableDef>& def,
                                                std::span<const size_t> columns) {
  std::erase_if(entries_, [](const Entry& e) { return e.scan.expired(); });
  const uint64_t writes = source.pager().writeCount();
  for (const Entry& e : entries_) {
    if (e.source != &source || e.def != def || e.writes != writes) continue;
    std::shared_ptr<ScannedTable> scan = e.scan.lock();
    if (!scan) continue;
    const bool hasAll = std::all_of(columns.begin(), columns.end(), [&](size_t c) {
      return std::find(scan->columns.begin(), scan->columns.end(), c) != scan->columns.end();
    });
    if (hasAll) return scan;
  }
  return nullptr;
}

void SharedScans::remember(Database& source, std::shared_ptr<const TableDef> def,
                           const std::shared_ptr<ScannedTable>& scan) {
  entries_.push_back({&source, std::move(def), source.pager().writeCount(), scan});
}

}  // namespace jet::sql
