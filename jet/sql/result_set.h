// The static result of a SELECT: every row is known and counted when the query has run.
//
// Rows are not copied out of the tables: each base table of the query keeps the rows that
// passed its own conditions, in compact columns (column_store.h), and a result row is a
// tuple of row numbers, one per base table, each position kept as narrowly as it can be
// (row_number_column.h). A million rows of the run's three-table joins cost 4 bytes each for the
// tuples (the probing side and the one-row table need none), plus the kept rows' output
// columns (1 to 8 bytes per number or date, 1 to 4 per text) and each distinct text once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jet/sql/column_store.h"
#include "jet/sql/relation.h"
#include "jet/sql/row_number_column.h"
#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet::sql {

// The rows one base table contributes: the needed columns of the rows that qualified.
struct TableRows {
  std::shared_ptr<const TableDef> def;
  std::u16string link;             // the link's name when the table is linked, else empty
  std::vector<size_t> columns;     // positions in def->columns, one per store
  std::vector<std::shared_ptr<ColumnStore>> stores;  // null for a column no longer needed
  bool shared = false;             // the stores are another query's too (shared_scans.h): no row is dropped
  size_t rows = 0;
};

struct ResultColumn {
  std::u16string name;
  ColumnType type = ColumnType::Text;
  uint16_t size = 0;         // characters for text, bytes otherwise, 0 for Memo/OLE
  bool autoIncrement = false;
  int slot = 0;              // the TableRows it comes from
  int position = 0;          // position of that slot in each tuple
  int store = 0;             // the column store within the TableRows
  size_t tableColumn = 0;    // position in the base table's definition
};

class ResultSet {
 public:
  ResultSet(std::vector<TableRows> tables, Relation rows, std::vector<ResultColumn> columns);

  size_t rowCount() const { return rowCount_; }
  size_t columnCount() const { return columns_.size(); }
  const ResultColumn& column(size_t i) const { return columns_[i]; }
  const std::vector<ResultColumn>& columns() const { return columns_; }
  Value value(size_t row, size_t column) const;
  // A text value() written into `out`, reusing its buffer; false when the value is no text.
  bool textInto(size_t row, size_t column, std::u16string& out) const;
  // The reader is at `row` and goes forward: the tables it reaches at random rows start
  // loading, one to three rows ahead, each step of what those rows will need (records, where
  // their texts lie, the texts), so reading a row seldom waits for memory.
  void readAhead(size_t row) const;
  // The one table of a query without a join (rows can be added to it), else nullptr.
  const TableDef* baseTable() const;
  // The name of the link the base table was read through; empty for a local table.
  std::u16string_view baseTableLink() const;
  size_t memoryBytes() const;

 private:
  std::vector<TableRows> tables_;
  size_t rowCount_ = 0;
  std::vector<RowNumberColumn> positions_;  // one per tuple position
  std::vector<ResultColumn> columns_;
  struct RandomReads {
    size_t position;
    const ColumnStore* record;                // a store in the table's row records, or null
    std::vector<const ColumnStore*> texts;    // its text columns of many distinct texts
  };
  std::vector<RandomReads> random_;
};

}  // namespace jet::sql
