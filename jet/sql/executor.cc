#include "jet/sql/executor.h"

#include "jet/util/error.h"
#include "jet/sql/parser.h"

namespace jet::sql {

std::unique_ptr<ResultSet> query(Database& db, std::u16string_view statement, SharedScans* shared) {
  return query(db, parse(statement), shared);
}

std::unique_ptr<ResultSet> query(Database& db, const Statement& s, SharedScans* shared) {
  if (auto* select = std::get_if<SelectStatement>(&s)) return runSelect(db, *select, shared);
  throw Error(errc::kSyntaxError, "The statement returns no rows: only a SELECT can be opened "
                                  "as a record set.");
}

size_t execute(Database& db, DatabaseWriter* writer, std::u16string_view statement) {
  return execute(db, writer, parse(statement));
}

size_t execute(Database& db, DatabaseWriter* writer, const Statement& s) {
  if (auto* select = std::get_if<SelectStatement>(&s)) {
    runSelect(db, *select);
    return 0;
  }
  if (!writer) throw Error(errc::kUnspecified, "The database is open read-only and cannot be changed.");
  if (auto* del = std::get_if<DeleteStatement>(&s)) return runDelete(db, *writer, *del);
  runAddColumn(db, *writer, std::get<AddColumnStatement>(s));
  return 0;
}

}  // namespace jet::sql
