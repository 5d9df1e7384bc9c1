// Inserting rows into user tables: the row appended to the table's current data page (a new
// page when it is full), the TDEF's row count and autonumber advanced.
#include "jet/database_writer.h"
#include "jet/database_writer_state.h"
#include "jet/error.h"
#include "jet/unicode.h"

namespace jet {

int32_t DatabaseWriter::insertRow(std::u16string_view table, std::span<const Value> values) {
  TableState& t = state(table);
  if (!t.def.realIndexes.empty()) {
    throw Error(errc::kUnspecified, "Inserting into table '" + toUtf8(table) +
                                        "' is not supported: the writer does not maintain user indexes.");
  }
  if (values.size() != t.def.columns.size()) {
    throw Error(errc::kUnspecified, "Table '" + toUtf8(table) + "' has " + std::to_string(t.def.columns.size()) +
                                        " columns; " + std::to_string(values.size()) + " values were given.");
  }
  int32_t assigned = 0;
  std::optional<std::vector<Value>> copy;
  for (size_t i = 0; i < t.def.columns.size(); ++i) {
    const auto& c = t.def.columns[i];
    if (!c.isAutoNumber() || c.type != ColumnType::Long) continue;
    if (values[i].isNull()) {
      if (t.def.autoNumber >= static_cast<uint32_t>(INT32_MAX)) {
        throw Error(errc::kUnspecified, "The autonumber of table '" + toUtf8(table) + "' is exhausted.");
      }
      assigned = static_cast<int32_t>(t.def.autoNumber + 1);
      copy.emplace(values.begin(), values.end());
      (*copy)[i] = assigned;
    } else if (auto p = values[i].getIf<int32_t>()) {
      assigned = *p;
    } else {
      throw Error(errc::kTypeMismatch, "The autonumber column takes a Long value.");
    }
  }
  appendRow(t, copy ? std::span<const Value>(*copy) : values);
  if (assigned > 0 && static_cast<uint32_t>(assigned) > t.def.autoNumber) t.def.autoNumber = static_cast<uint32_t>(assigned);
  writeTableCounters(t);
  afterChange();
  return assigned;
}

}  // namespace jet
