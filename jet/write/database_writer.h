// Writing into an open database: creating tables, inserting and deleting rows, adding
// columns. Works on the page layer of a jet::Database opened writable, so reads through
// that Database see every change once it is flushed.
//
//   jet::createDatabase("certs.mdb");
//   auto db = jet::Database::open("certs.mdb", u"", /*writable=*/true);
//   jet::DatabaseWriter w(db);
//   w.createTable({u"People", {{u"Id", jet::ColumnType::Long, .autoIncrement = true},
//                              {u"Name", jet::ColumnType::Text}}});
//   w.insertRow(u"People", {jet::Value(), jet::Value(std::u16string(u"Ann"))});  // Id = 1
//
// Durability::kEachRow (the default) writes every change through to the file before the
// call returns, in an order that keeps the file valid whenever the process dies (see
// page_workspace.h). Durability::kBatched keeps inserted and deleted rows in memory and writes
// them, in the same order, once a few hundred pages have gathered and at writePending(),
// flush() or destruction: a process killed in between leaves the rows up to the last write.
// Creating a table and adding a column are written at once in both modes. Reads through the
// Database see only what has been written: call writePending() before them.
//
// Errors are jet::Error: errc::kTableNotFound for an unknown table, errc::kItemNotFound for
// an unknown column, errc::kTypeMismatch / errc::kDataOverflow for a value a column cannot
// take, errc::kUnspecified for everything else (e.g. "Record is too large").
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/read/database.h"
#include "jet/write/page_workspace.h"
#include "jet/format/row_builder.h"
#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet {

struct ColumnSpec {
  std::u16string name;
  ColumnType type = ColumnType::Text;
  uint16_t textLength = 255;       // Text: characters, 1..255
  bool autoIncrement = false;      // Long only; at most one per table
  bool required = false;           // stored as the column property Required (not enforced here)
  bool compressedUnicode = false;  // Text/Memo: allow the compressed form
  std::u16string description = {};  // stored as the column property Description
};

struct TableSpec {
  std::u16string name;
  std::vector<ColumnSpec> columns;
};

// A link to a table of another Jet file: its name here, the other file's path as it is to
// be stored (absolute, relative to this file's folder, or a Windows path), the table's name
// there, and connection details (";PWD=..." for a back end with a password), if any. An
// ODBC link (type 4) names its source in `connect` ("ODBC;DSN=...") and needs no path.
struct LinkSpec {
  std::u16string name;
  std::u16string database;
  std::u16string foreignName;
  std::u16string connect;
  bool odbc = false;
};

// Returns true for rows to delete; values are in TableDef::columns order.
using RowPredicate = std::function<bool(std::span<const Value>)>;

class DatabaseWriter {
 public:
  enum class Durability { kEachRow, kBatched };

  // `db` must be open writable and outlive the writer.
  explicit DatabaseWriter(Database& db, Durability durability = Durability::kEachRow);
  ~DatabaseWriter();  // flushes; errors at that point are swallowed, call flush() to see them
  DatabaseWriter(const DatabaseWriter&) = delete;
  DatabaseWriter& operator=(const DatabaseWriter&) = delete;

  // Creates an empty table: TDEF, usage maps, its MSysObjects row and index entries, its
  // MSysACEs rows, and the property blob for descriptions and Required.
  void createTable(const TableSpec& wanted);

  // Adds a linked table: a catalog row of type 6 and its MSysACEs rows. The other file is
  // not opened or checked; readers follow the link (linked_tables.h).
  void createLink(const LinkSpec& link);

  // Inserts one row. `values` has one entry per column in TableDef::columns order (column
  // number order). A Null for the autonumber column takes the next number; an explicit
  // value is stored and raises the counter. Returns the autonumber stored, or 0.
  // The values may also be given as pointers (RowValues), so that a caller holding them in
  // another order need not copy them.
  // `stored`, when given, receives where the row went (for Database::readRow once written).
  int32_t insertRow(std::u16string_view table, RowValues values, RowPointer* stored = nullptr);
  int32_t insertRow(std::u16string_view table, std::initializer_list<Value> values) {
    return insertRow(table, RowValues(std::span<const Value>(values.begin(), values.size())));
  }

  // Deletes every row (no predicate) or the rows the predicate picks; returns how many.
  size_t deleteRows(std::u16string_view table, const RowPredicate& predicate = {});
  // Counts the deletes that removed rows, through any writer of this process. A row locator
  // kept from before the count changed may point at a deleted row, or at another row stored
  // in its slot since.
  static uint64_t deletions();
  // True when this writer deleted every row of the table and stored none since: as the file's
  // one writer it knows the table is empty without reading its pages.
  bool knowsEmpty(std::u16string_view table) const;

  // Adds a column at the end; rows already stored read it as Null.
  void addColumn(std::u16string_view table, const ColumnSpec& column);

  // The table's current definition as the writer sees it.
  const TableDef& tableDef(std::u16string_view table);

  // Writes every pending change and syncs the file.
  void flush();
  // Writes every pending change without syncing, so that reads through the Database see it.
  void writePending();

 private:
  struct TableState;
  struct CatalogValue {
    std::u16string_view column;
    Value value;
  };
  TableState& state(std::u16string_view table);
  void checkNameFree(std::u16string_view name);
  void addToCatalog(int32_t id, std::u16string_view name, int16_t type, const std::vector<CatalogValue>& values);
  RowPointer appendRow(TableState& t, RowValues values);
  std::vector<uint8_t> storeLongValue(TableState& t, const ColumnDef& column, std::span<const uint8_t> data);
  RowPointer placeRow(uint32_t owner, uint32_t ownedMap, uint32_t freeMap, uint32_t& currentPage,
                      std::span<const uint8_t> row);
  void writeTableCounters(TableState& t);
  void rewriteTableDefinition(TableState& t);
  void insertIndexEntry(TableState& t, size_t realIndex, std::vector<uint8_t> entry, bool newKey);
  bool indexHasKey(TableState& t, size_t realIndex, const std::vector<uint8_t>& key);
  void removeIndexEntry(TableState& t, size_t realIndex, const std::vector<uint8_t>& entry);
  // Leaf page and entry position holding `entry` or where it would go, following nodes.
  uint32_t findLeaf(const RealIndexDef& index, const std::vector<uint8_t>& entry, std::vector<std::pair<uint32_t, size_t>>* path,
                    bool* beyondLast);
  void afterChange();
  void refreshReader();

  Database& db_;
  Durability durability_;
  size_t batchLimit_;  // kBatched: pending pages that start a write
  PageWorkspace pages_;
  std::map<std::u16string, std::unique_ptr<TableState>> tables_;  // by folded name
  std::u16string lastTableName_;  // the name state() was last asked for, as spelt
  TableState* lastTable_ = nullptr;
};

}  // namespace jet
