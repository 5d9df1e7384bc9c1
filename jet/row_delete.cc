// Deleting rows: the row's slot gets both flag bits (0xC000), its bytes stay where they are,
// its index entries go, and the TDEF row count goes down. Pages stay with the table (Jet reclaims them on compact).
#include <algorithm>
#include <numeric>

#include "jet/data_page_builder.h"
#include "jet/database_writer.h"
#include "jet/database_writer_state.h"
#include "jet/error.h"
#include "jet/index_key.h"
#include "jet/unicode.h"

namespace jet {

size_t DatabaseWriter::deleteRows(std::u16string_view table, const RowPredicate& predicate) {
  TableState& t = state(table);
  // The scan reads the file, so it must see every change made so far.
  pages_.flush(false);
  std::vector<size_t> columns;
  if (predicate || !t.def.realIndexes.empty()) {
    columns.resize(t.def.columns.size());
    std::iota(columns.begin(), columns.end(), 0);
  }
  std::vector<RowPointer> doomed;
  std::vector<std::vector<std::vector<uint8_t>>> keys;  // per doomed row, per real index
  auto scan = db_.scan(std::make_shared<const TableDef>(t.def), columns);
  while (scan.next()) {
    if (predicate && !predicate(scan.values())) continue;
    doomed.push_back(scan.locator());
    std::vector<std::vector<uint8_t>> k;
    for (const auto& ri : t.def.realIndexes) {
      k.push_back(leafEntry(indexKeyFor(t.def, ri, scan.values()), scan.locator().page,
                            static_cast<uint8_t>(scan.locator().row)));
    }
    keys.push_back(std::move(k));
  }
  for (size_t d = 0; d < doomed.size(); ++d) {
    for (size_t i = 0; i < keys[d].size(); ++i) removeIndexEntry(t, i, keys[d][i]);
  }
  for (const auto& at : doomed) {
    PageBytes& page = pages_.edit(at.page);
    DataPageBuilder(page).markDeleted(static_cast<uint8_t>(at.row));
  }
  const auto n = static_cast<uint32_t>(doomed.size());
  t.def.rowCount = t.def.rowCount >= n ? t.def.rowCount - n : 0;
  writeTableCounters(t);
  afterChange();
  return doomed.size();
}

}  // namespace jet
