// Deleting rows: the row's slot gets both flag bits (0xC000), its bytes stay where they are,
// and the TDEF row count goes down. Pages stay with the table (Jet reclaims them on compact).
#include <algorithm>
#include <numeric>

#include "jet/data_page_builder.h"
#include "jet/database_writer.h"
#include "jet/database_writer_state.h"
#include "jet/error.h"
#include "jet/unicode.h"

namespace jet {

size_t DatabaseWriter::deleteRows(std::u16string_view table, const RowPredicate& predicate) {
  TableState& t = state(table);
  if (!t.def.realIndexes.empty()) {
    throw Error(errc::kUnspecified, "Deleting from table '" + toUtf8(table) +
                                        "' is not supported: the writer does not maintain user indexes.");
  }
  // The scan reads the file, so it must see every change made so far.
  pages_.flush(false);
  std::vector<size_t> columns;
  if (predicate) {
    columns.resize(t.def.columns.size());
    std::iota(columns.begin(), columns.end(), 0);
  }
  std::vector<RowPointer> doomed;
  auto scan = db_.scan(std::make_shared<const TableDef>(t.def), columns);
  while (scan.next()) {
    if (!predicate || predicate(scan.values())) doomed.push_back(scan.locator());
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
