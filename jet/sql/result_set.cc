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
    RandomReads reads{p, nullptr, {}};
    for (const ColumnStore* s : stores) {
      if (s->inRecords()) reads.record = s;
      // Larger than a quarter of a core's own cache: its texts are read from further away.
      if (s->isText() && s->pool().memoryBytes() > (256u << 10)) reads.texts.push_back(s);
    }
    if (reads.record || !reads.texts.empty()) random_.push_back(std::move(reads));
  }
}

void ResultSet::readAhead(size_t row) const {
  for (const RandomReads& reads : random_) {
    const RowNumberColumn& numbers = positions_[reads.position];
    if (row + 3 < rowCount_ && reads.record) __builtin_prefetch(reads.record->cellAddress(numbers.at(row + 3)));
    if (reads.texts.empty()) continue;
    if (row + 2 < rowCount_) {
      const uint32_t r = numbers.at(row + 2);
      for (const ColumnStore* s : reads.texts) {
        if (const void* p = s->textBoundsAddress(r)) __builtin_prefetch(p);
      }
    }
    if (row + 1 < rowCount_) {
      const uint32_t r = numbers.at(row + 1);
      for (const ColumnStore* s : reads.texts) {
        if (const void* p = s->textAddress(r)) __builtin_prefetch(p);
      }
    }
  }
}

Value ResultSet::value(size_t row, size_t column) const {
  assert(row < rowCount() && column < columns_.size());
  const ResultColumn& c = columns_[column];
  uint32_t tableRow = positions_[c.position].at(row);
  return tables_[c.slot].stores[c.store]->get(tableRow);
}

bool ResultSet::textInto(size_t row, size_t column, std::u16string& out) const {
  assert(row < rowCount() && column < columns_.size());
  const ResultColumn& c = columns_[column];
  return tables_[c.slot].stores[c.store]->textInto(positions_[c.position].at(row), out);
}

const TableDef* ResultSet::baseTable() const {
  return tables_.size() == 1 ? tables_.front().def.get() : nullptr;
}

std::u16string_view ResultSet::baseTableLink() const {
  return tables_.size() == 1 ? std::u16string_view(tables_.front().link) : std::u16string_view();
}

size_t ResultSet::memoryBytes() const {
  size_t n = 0;
  for (const RowNumberColumn& p : positions_) n += p.memoryBytes();
  for (const TableRows& t : tables_) {
    for (const auto& s : t.stores) n += s ? s->memoryBytes() : 0;
  }
  return n;
}

}  // namespace jet::sql
