#include "jet/sql/executor.h"

#include "jet/error.h"
#include "jet/sql/parser.h"

namespace jet::sql {

std::unique_ptr<ResultSet> query(Database& db, std::u16string_view statement) {
  Statement s = parse(statement);
  if (auto* select = std::get_if<SelectStatement>(&s)) return runSelect(db, *select);
  throw Error(errc::kSyntaxError, "The statement returns no rows: only a SELECT can be opened "
                                  "as a record set.");
}

size_t execute(Database& db, std::u16string_view statement) { return execute(db, parse(statement)); }

size_t execute(Database& db, const Statement& s) {
  if (auto* select = std::get_if<SelectStatement>(&s)) {
    runSelect(db, *select);
    return 0;
  }
  throw Error(errc::kUnspecified, "DELETE and ALTER TABLE are not available yet.");
}

}  // namespace jet::sql
