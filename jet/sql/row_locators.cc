#include "jet/sql/row_locators.h"

#include "jet/util/error.h"
#include "jet/sql/binder.h"

namespace jet::sql {

std::optional<RowLocators> locateRows(Database& db, const Statement& statement,
                                      const DatabaseWriter* writer) {
  const auto* select = std::get_if<SelectStatement>(&statement);
  if (!select) return std::nullopt;
  QueryPlan plan = bind(*select, [&db](std::u16string_view name) { return db.table(name); });
  if (plan.slots.size() != 1 || !plan.residual.empty()) return std::nullopt;
  const SlotPlan& slot = plan.slots.front();
  if (!slot.filters.empty() || !slot.link.empty() || slot.source != &db) return std::nullopt;

  RowLocators out;
  out.table = slot.def;
  out.columns = std::move(plan.output);
  for (ResultColumn& c : out.columns) c.position = 0;
  if (writer && writer->knowsEmpty(slot.def->name)) return out;
  TableScan scan = db.scan(slot.def, {});
  while (scan.next()) {
    if (out.rows.size() >= UINT32_MAX - 1) throw Error(errc::kUnspecified, "A table has too many rows.");
    out.rows.push_back(scan.locator().raw());
  }
  return out;
}

}  // namespace jet::sql
