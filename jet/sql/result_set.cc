#include "jet/sql/result_set.h"

#include <cassert>

namespace jet::sql {

ResultSet::ResultSet(std::vector<TableRows> tables, Relation rows, std::vector<ResultColumn> columns)
    : tables_(std::move(tables)), rowCount_(rows.rows()), columns_(std::move(columns)) {
  positions_.reserve(rows.slots.size());
  for (size_t p = 0; p < rows.slots.size(); ++p) {
    positions_.emplace_back(rows, p, tables_[rows.slots[p]].rows);
    if (!positions_.back().perRow()) continue;
    // Read at random rows: one record per row. A shared scan's stores may move too; their
    // values do not change, and the other results read them through the same accessors.
    std::vector<ColumnStore*> stores;
    for (const auto& s : tables_[rows.slots[p]].stores) {
      if (s) stores.push_back(s.get());
    }
    ColumnStore::keepRowByRow(stores);
  }
}

Value ResultSet::value(size_t row, size_t column) const {
  assert(row < rowCount() && column < columns_.size());
  const ResultColumn& c = columns_[column];
  uint32_t tableRow = positions_[c.position].at(row);
  return tables_[c.slot].stores[c.store]->get(tableRow);
}

const TableDef* ResultSet::baseTable() const {
  return tables_.size() == 1 ? tables_.front().def.get() : nullptr;
}

std::u16string_view ResultSet::baseTableLink() const {
  return tables_.size() == 1 ? std::u16string_view(tables_.front().link) : std::u16string_view();
}

size_t ResultSet::memoryBytes() const {
  size_t n = 0;
  for (const RowNumbers& p : positions_) n += p.memoryBytes();
  for (const TableRows& t : tables_) {
    for (const auto& s : t.stores) n += s ? s->memoryBytes() : 0;
  }
  return n;
}

}  // namespace jet::sql
