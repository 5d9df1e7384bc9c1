// The state a Recordset and its Fields share: the properties, and once open the static
// rows of the query plus the rows added since.
//
// Rows are numbered 0 .. total()-1: first the query's rows (held by the engine's
// ResultSet), then the rows added and stored since, then the pending ones. A stored row is
// kept as where it went in the file (4 bytes) and read back from there when asked for, so a
// record set that receives millions of rows stays small; the row stored last, the one a
// caller most likely looks at again, is kept whole as well.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/connection.h"
#include "data/error.h"
#include "data/types.h"
#include "data/value.h"
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
  std::u16string baseLink;   // the link the one table was read through, else empty
  // jet::RowPointer::raw() of each stored row, and of the table's rows found at the open
  // when it was a plain SELECT of one table on the file's writer (jet/sql/row_locators.h).
  // In blocks: a run stores a row at a time, and a vector doubling past a million rows held
  // the old and the new copy at once near the end of a run.
  std::deque<uint32_t> storedAt;
  std::vector<Value> lastStored;
  // A delete may free the slot of a stored row for another row: locators of rows stored before
  // the last delete are no longer read (jet::DatabaseWriter::deletions()).
  uint64_t deletionsSeen = 0;
  size_t trustedFrom = 0;
  bool wrote = false;  // rows went to the writer since the open, so close() writes them out
  std::vector<std::vector<Value>> pending;
  // Buffers kept from row to row so that adding and storing a row allocates no lists: the
  // list of the row stored last (reused by the next addNew) and where the engine finds the
  // values it stores.
  std::vector<Value> spareRow;
  std::vector<std::pair<size_t, const Value*>> storing;
  std::vector<const Value*> tableRow;
  // Texts of the rows addNew starts again, for copies into new rows to be read into
  // (Field::setValueFrom): a run's copies then allocate for hardly any text.
  std::vector<std::u16string> spareTexts;
  size_t position = 0;
  uint64_t generation = 0;  // counts opens: a Field of an earlier open is stale

  // Where a look-up by name last found its field, keyed by where the caller keeps the name:
  // a copy pass asks for the same few names, spelt by the same literals, on every row. A
  // hint is only a guess, confirmed by comparing the names (see Fields::item).
  struct NameHint {
    const char16_t* name = nullptr;
    size_t field = 0;
  };
  static constexpr size_t kHintProbes = 4;
  mutable std::array<NameHint, 64> nameHints{};  // a cache: looking a name up keeps one
  // The hint kept for `name`, or the place to keep one (an empty place among the few it may
  // take, else its first).
  NameHint& nameHint(const char16_t* name) const {
    const auto key = reinterpret_cast<uintptr_t>(name);
    const size_t first = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 58);
    NameHint* empty = nullptr;
    for (size_t i = 0; i < kHintProbes; ++i) {
      NameHint& h = nameHints[(first + i) % nameHints.size()];
      if (h.name == name) return h;
      if (!h.name && !empty) empty = &h;
    }
    return empty ? *empty : nameHints[first];
  }

  size_t queryRows() const { return result ? result->rowCount() : 0; }
  size_t storedRows() const { return storedAt.size(); }
  size_t firstPending() const { return queryRows() + storedRows(); }
  size_t total() const { return firstPending() + pending.size(); }
  Value valueAt(size_t row, size_t field) const {
    if (row < queryRows()) return result->value(row, field);
    if (row < firstPending()) return storedValue(row - queryRows(), field);
    return pending[row - firstPending()][field];
  }
  Value storedValue(size_t stored, size_t field) const;  // recordset.cc
  // The current row's value of a field when it is a text of the query's rows, written into
  // `out`; false otherwise.
  bool currentText(size_t field, std::u16string& out) const {
    return open && position < queryRows() && result->textInto(position, field, out);
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
    if (atEnd()) noCurrentRecord();
  }
  [[noreturn]] static void noCurrentRecord() {
    fail(errc::kNoCurrentRecord, "There is no current record: the record set is at its end "
                                 "or has no rows.");
  }
};

}  // namespace data
