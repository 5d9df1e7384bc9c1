// The rows of a plain SELECT of one local table (its columns, no WHERE, no join) found
// without reading a value: the columns the query would give and where each row is, in
// table order. A record set over a table it may add rows to keeps just these 4 bytes per
// row and reads a row's values when asked (Database::readRow), where a static result would
// hold every value of the table.
//
// The locators stay right only while no row of the table is deleted and no other program
// writes the file: callers hold the file's write lock and check
// DatabaseWriter::deletions() before reading.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/sql/ast.h"
#include "jet/sql/result_set.h"

namespace jet::sql {

struct RowLocators {
  std::shared_ptr<const TableDef> table;
  std::vector<ResultColumn> columns;
  std::vector<uint32_t> rows;  // RowPointer::raw() of each row
};

// Empty when the statement is anything else (query() then runs it, or gives its error).
// A table the file's writer knows to be empty (DatabaseWriter::knowsEmpty) has no rows to
// look for: a rerun opens the table it has just emptied twice, each a walk of every page.
std::optional<RowLocators> locateRows(Database& db, const Statement& statement,
                                      const DatabaseWriter* writer = nullptr);

}  // namespace jet::sql
