// The state a Recordset and its Fields share: the properties, and once open the static
// rows of the query plus the rows added since.
//
// Rows are numbered 0 .. total()-1: first the query's rows (held by the engine's
// ResultSet), then the rows added and stored since (kept as compactly as query rows, so
// that a record set that receives millions of rows stays small), then the pending ones.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/connection.h"
#include "data/error.h"
#include "data/types.h"
#include "data/value.h"
#include "jet/sql/column_store.h"
#include "jet/sql/result_set.h"

namespace data {

struct FieldInfo {
  std::u16string name;
  int adoType = adVarWChar;
  int size = 0;
  jet::ColumnType columnType = jet::ColumnType::Text;
  bool autoIncrement = false;
  size_t tableColumn = 0;  // position in the base table's definition
};

struct RecordsetState {
  // Properties.
  std::optional<Connection> connection;
  int cursorType = adOpenForwardOnly;
  int cursorLocation = adUseServer;
  int lockType = adLockReadOnly;
  std::u16string source;

  // Open state.
  bool open = false;
  std::optional<Connection> openConnection;
  std::unique_ptr<jet::sql::ResultSet> result;
  std::vector<FieldInfo> fields;
  std::u16string baseTable;  // empty when rows cannot be added (a join)
  std::vector<jet::sql::ColumnStore> stored;  // one per field
  size_t storedRows = 0;
  bool wrote = false;  // rows went to the writer since the open, so close() writes them out
  std::vector<std::vector<Value>> pending;
  size_t position = 0;
  uint64_t generation = 0;  // counts opens: a Field of an earlier open is stale

  size_t queryRows() const { return result ? result->rowCount() : 0; }
  size_t firstPending() const { return queryRows() + storedRows; }
  size_t total() const { return firstPending() + pending.size(); }
  Value valueAt(size_t row, size_t field) const {
    if (row < queryRows()) return result->value(row, field);
    if (row < firstPending()) return stored[field].get(row - queryRows());
    return pending[row - firstPending()][field];
  }
  bool atEnd() const { return position >= total(); }

  void requireOpen() const {
    if (!open) fail(errc::kObjectClosed, "Operation is not allowed when the record set is closed.");
  }
  void requireField(uint64_t fieldGeneration) const {
    requireOpen();
    if (fieldGeneration != generation) {
      fail(errc::kObjectClosed, "The field belongs to a record set that has been closed since.");
    }
  }
  void requireCurrentRow() const {
    requireOpen();
    if (atEnd()) {
      fail(errc::kNoCurrentRecord, "There is no current record: the record set is at its end "
                                   "or has no rows.");
    }
  }
};

}  // namespace data
