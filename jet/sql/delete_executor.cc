// DELETE: the condition is bound and type-checked like a SELECT's before any row goes; the
// writer then removes the rows for which it is True (all rows when there is none).
#include "jet/write/database_writer.h"
#include "jet/sql/binder.h"
#include "jet/sql/executor.h"
#include "jet/sql/predicate.h"

namespace jet::sql {

size_t runDelete(Database& db, DatabaseWriter& writer, const DeleteStatement& del) {
  if (const CatalogEntry* link = db.findLink(del.table)) throw linkedTableReadOnly(*link);
  QueryPlan plan = bindSingleTable(del.table, del.where, [&db](std::u16string_view name) {
    return TableRef{&db, db.tableDef(name), nullptr};
  });
  const SlotPlan& slot = plan.slots.front();
  if (slot.filters.empty() && plan.residual.empty()) return writer.deleteRows(slot.def->name);
  auto predicate = [&](std::span<const Value> row) {
    auto get = [&](BoundColumn c) -> Value { return row[slot.columns[static_cast<size_t>(c.store)]]; };
    for (const BoundExpr& e : slot.filters) {
      if (evaluate(e, get) != Truth::True) return false;
    }
    for (const BoundExpr& e : plan.residual) {
      if (evaluate(e, get) != Truth::True) return false;
    }
    return true;
  };
  return writer.deleteRows(slot.def->name, predicate);
}

}  // namespace jet::sql
