// Running SQL statements on an open database.
//
//   auto rows = jet::sql::query(db, u"SELECT * FROM Roster WHERE Active = True");
//   for (size_t r = 0; r < rows->rowCount(); ++r) use(rows->value(r, 0));
//
// Errors are jet::Error: errc::kSyntaxError for text the dialect does not have,
// errc::kTableNotFound, kUnknownName (binder.h), errc::kTypeMismatch, and the engine's own.
#pragma once

#include <memory>
#include <string_view>

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/sql/ast.h"
#include "jet/sql/result_set.h"

namespace jet::sql {

class SharedScans;

// A SELECT; any other statement is refused with errc::kSyntaxError. With `shared`, tables read
// whole share one scan with the other results of the same connection (shared_scans.h).
std::unique_ptr<ResultSet> query(Database& db, std::u16string_view statement, SharedScans* shared = nullptr);
std::unique_ptr<ResultSet> query(Database& db, const Statement& statement, SharedScans* shared = nullptr);
std::unique_ptr<ResultSet> runSelect(Database& db, const SelectStatement& select, SharedScans* shared = nullptr);

// Any statement; a SELECT runs and its rows are dropped. Returns the number of rows
// affected (0 for ALTER TABLE and SELECT). DELETE and ALTER TABLE write through `writer`,
// which must be on `db` (errc::kUnspecified when there is none: the file is read-only).
size_t execute(Database& db, DatabaseWriter* writer, std::u16string_view statement);
size_t execute(Database& db, DatabaseWriter* writer, const Statement& statement);

size_t runDelete(Database& db, DatabaseWriter& writer, const DeleteStatement& del);
void runAddColumn(Database& db, DatabaseWriter& writer, const AddColumnStatement& add);

}  // namespace jet::sql
