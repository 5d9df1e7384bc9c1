#include "jet/sql/result_set.h"

#include <cassert>

namespace jet::sql {

ResultSet::ResultSet(std::vector<TableRows> tables, Relation rows, std::vector<ResultColumn> columns)
    : tables_(std::move(tables)), rows_(std::move(rows)), columns_(std::move(columns)) {
  for (TableRows& t : tables_) {
    for (ColumnStore& s : t.stores) s.freeze();
  }
  rows_.tuples.shrink_to_fit();
}

Value ResultSet::value(size_t row, size_t column) const {
  assert(row < rowCount() && column < columns_.size());
  const ResultColumn& c = columns_[column];
  uint32_t tableRow = rows_.tuples[row * rows_.width + c.position];
  return tables_[c.slot].stores[c.store].get(tableRow);
}

const TableDef* ResultSet::baseTable() const {
  return tables_.size() == 1 ? tables_.front().def.get() : nullptr;
}

size_t ResultSet::memoryBytes() const {
  size_t n = rows_.tuples.capacity() * sizeof(uint32_t);
  for (const TableRows& t : tables_) {
    for (const ColumnStore& s : t.stores) n += s.memoryBytes();
  }
  return n;
}

}  // namespace jet::sql
