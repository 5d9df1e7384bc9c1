// Table scans that the queries of one connection share. Two queries that read columns of the
// same table with no condition on that table alone (the run's two queries both read the
// people's table, whole) keep one copy of those columns rather than two, and the second
// query does not scan the table again.
//
// The connection keeps only weak references: a scan lives as long as a result uses one of
// its columns, so nothing is held after the results are closed. A scan serves only the file
// as it was: once anything is written through the file's pager, or the table's definition is
// read anew (after ALTER TABLE), it is not used again. Changes another program makes are
// not seen between two queries that share a scan, as pages and definitions already cached
// are not.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "jet/read/database.h"
#include "jet/sql/column_store.h"

namespace jet::sql {

// The columns a scan decoded, every row of the table in order.
struct ScannedTable {
  std::vector<size_t> columns;  // positions in the table's definition, one per store
  std::vector<ColumnStore> stores;
  size_t rows = 0;
};

class SharedScans {
 public:
  // A scan of `def` in `source` that is still in use and decoded every one of `columns`.
  std::shared_ptr<ScannedTable> find(Database& source, const std::shared_ptr<const TableDef>& def,
                                     std::span<const size_t> columns);
  void remember(Database& source, std::shared_ptr<const TableDef> def, const std::shared_ptr<ScannedTable>& scan);

 private:
  struct Entry {
    const Database* source;
    std::shared_ptr<const TableDef> def;  // held, so no later definition can take its address
    uint64_t writes;                      // the pager's write count when scanned
    std::weak_ptr<ScannedTable> scan;
  };
  std::vector<Entry> entries_;
};

}  // namespace jet::sql
