#include "data/recordset.h"

#include "data/recordset_state.h"
#include "data/engine_writes.h"
#include "data/text.h"
#include "data/type_codes.h"
#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/sql/executor.h"
#include "jet/sql/row_locators.h"
#include "jet/sql/parser.h"

namespace data {
namespace {

void requireClosed(const RecordsetState& s) {
  if (s.open) fail(errc::kObjectOpen, "Operation is not allowed when the record set is open.");
}

}  // namespace

Recordset::Recordset() : state_(std::make_shared<RecordsetState>()) {}

void Recordset::setActiveConnection(const Connection& connection) {
  requireClosed(*state_);
  state_->connection = connection;
}

Connection Recordset::activeConnection() const {
  if (state_->open) return *state_->openConnection;
  if (!state_->connection) fail(errc::kNoConnection, "The record set has no active connection.");
  return *state_->connection;
}

void Recordset::setCursorType(int type) {
  requireClosed(*state_);
  if (type < adOpenUnspecified || type > adOpenStatic) {
    fail(errc::kBadArguments, "The cursor type must be -1, 0, 1, 2 or 3.");
  }
  state_->cursorType = type;
}

int Recordset::cursorType() const { return state_->cursorType; }

void Recordset::setCursorLocation(int location) {
  requireClosed(*state_);
  if (location != adUseClient && location != adUseServer) {
    fail(errc::kBadArguments, "The cursor location must be 2 (server) or 3 (client).");
  }
  state_->cursorLocation = location;
}

int Recordset::cursorLocation() const { return state_->cursorLocation; }

void Recordset::setLockType(int type) {
  requireClosed(*state_);
  if (type < adLockUnspecified || type > adLockBatchOptimistic || type == 0) {
    fail(errc::kBadArguments, "The lock type must be -1, 1, 2, 3 or 4.");
  }
  state_->lockType = type;
}

int Recordset::lockType() const { return state_->lockType; }

void Recordset::setSource(std::u16string text) {
  requireClosed(*state_);
  state_->source = std::move(text);
}

void Recordset::setSource(const Command& command) {
  requireClosed(*state_);
  state_->source = command.commandText();
  if (command.hasActiveConnection()) state_->connection = command.activeConnection();
}

void Recordset::open() { openWith(state_->source, std::nullopt, adOpenUnspecified, adLockUnspecified, adCmdUnspecified); }

void Recordset::open(std::u16string_view source, std::optional<Connection> connection,
                     int cursorType, int lockType, int options) {
  openWith(source.empty() ? state_->source : std::u16string(source), std::move(connection),
           cursorType, lockType, options);
}

void Recordset::open(const Command& source, std::optional<Connection> connection, int cursorType,
                     int lockType, int options) {
  if (!connection && source.hasActiveConnection()) connection = source.activeConnection();
  openWith(source.commandText(), std::move(connection), cursorType, lockType, options);
}

void Recordset::openWith(std::u16string source, std::optional<Connection> connection,
                         int cursorType, int lockType, int options) {
  RecordsetState& s = *state_;
  requireClosed(s);
  if (cursorType != adOpenUnspecified) setCursorType(cursorType);
  if (lockType != adLockUnspecified) setLockType(lockType);
  if (connection) s.connection = *connection;
  if (!s.connection || s.connection->state() != adStateOpen) {
    fail(errc::kNoConnection, "The record set has no open connection to run its source on.");
  }
  if (source.empty()) fail(errc::kBadArguments, "The record set has no source (a SELECT statement).");
  if (options == adCmdTable) {
    source = u"SELECT * FROM [" + source + u"]";
  } else if (options != adCmdUnspecified && options != adCmdText && options != adCmdUnknown) {
    fail(errc::kBadArguments, "Open options must be -1 (unspecified), 1 (text) or 2 (table).");
  }

  // On the file's one writer, a plain SELECT of one table keeps where its rows are rather
  // than every value: nothing else can change the file, and a delete through this process
  // makes the rows unreadable (storedValue) instead of wrong. A table of certificates to be
  // replaced is then counted and deleted without being held in memory.
  jet::Database& db = s.connection->database();
  const jet::sql::Statement statement = jet::sql::parse(source);
  std::optional<jet::sql::RowLocators> located;
  if (db.writable()) located = jet::sql::locateRows(db, statement, existingWriter(*s.connection));
  std::unique_ptr<jet::sql::ResultSet> result =
      located ? nullptr : jet::sql::query(db, statement, &s.connection->sharedScans());
  const std::vector<jet::sql::ResultColumn>& columns = located ? located->columns : result->columns();
  std::vector<FieldInfo> fields;
  fields.reserve(columns.size());
  for (const jet::sql::ResultColumn& c : columns) {
    FieldInfo f;
    f.name = c.name;
    f.adoType = adoTypeOf(c.type);
    f.size = c.size;
    f.columnType = c.type;
    f.autoIncrement = c.autoIncrement;
    f.tableColumn = c.tableColumn;
    fields.push_back(std::move(f));
  }
  if (located) {
    s.baseLink.clear();
    s.baseTable = located->table->name;
  } else {
    s.baseLink = std::u16string(result->baseTableLink());
    s.baseTable = result->baseTable() && s.baseLink.empty() ? result->baseTable()->name : std::u16string();
  }
  s.result = std::move(result);
  s.fields = std::move(fields);
  s.openConnection = s.connection;
  s.source = std::move(source);
  std::deque<uint32_t>().swap(s.storedAt);
  if (located) s.storedAt.assign(located->rows.begin(), located->rows.end());
  s.lastStored.clear();
  s.deletionsSeen = jet::DatabaseWriter::deletions();
  s.trustedFrom = 0;
  s.wrote = false;
  s.pending.clear();
  s.position = 0;
  s.nameHints = {};
  ++s.generation;
  s.open = true;
}

void Recordset::close() {
  RecordsetState& s = *state_;
  s.requireOpen();
  // The rows this record set stored may still wait in memory. Closing it writes them, so a
  // failed write is reported here, by a call the caller sees, and not lost later when the
  // connection is let go. The record set is closed either way.
  std::optional<Connection> wrote;
  if (s.wrote) wrote = s.openConnection;
  s.open = false;
  s.result.reset();
  s.fields.clear();
  std::deque<uint32_t>().swap(s.storedAt);
  s.lastStored.clear();
  s.wrote = false;
  s.pending.clear();
  s.position = 0;
  s.openConnection.reset();
  if (wrote) flushWrites(*wrote);
}

int Recordset::state() const { return state_->open ? adStateOpen : adStateClosed; }

int Recordset::recordCount() const {
  state_->requireOpen();
  return static_cast<int>(state_->total());
}

bool Recordset::eof() const {
  state_->requireOpen();
  return state_->atEnd();
}

bool Recordset::bof() const {
  state_->requireOpen();
  return state_->total() == 0;
}

void Recordset::moveNext() {
  state_->requireCurrentRow();
  ++state_->position;
  if (state_->position < state_->queryRows()) state_->result->readAhead(state_->position);
}

void Recordset::moveFirst() {
  state_->requireOpen();
  state_->position = 0;
}

Fields Recordset::fields() const {
  state_->requireOpen();
  return Fields(state_);
}

Field Recordset::field(std::u16string_view name) const { return Fields::byName(state_, name); }

Value Recordset::collect(std::u16string_view name) const { return Fields::valueByName(*state_, name); }

void Recordset::setCollect(std::u16string_view name, Value value) const {
  Fields::setValueByName(*state_, name, std::move(value));
}

void Recordset::addNew() {
  RecordsetState& s = *state_;
  s.requireOpen();
  if (s.lockType == adLockReadOnly) {
    fail(errc::kNotSupported, "The record set is read-only (lock type 1); open it with lock type "
                              "3 to add rows.");
  }
  if (!s.baseLink.empty()) {
    if (const jet::CatalogEntry* link = s.openConnection->database().findLink(s.baseLink)) {
      throw jet::linkedTableReadOnly(*link);
    }
  }
  if (s.baseTable.empty()) {
    fail(errc::kNotSupported, "Rows cannot be added to the result of a join.");
  }
  std::vector<Value> row = std::move(s.spareRow);
  row.resize(s.fields.size());
  for (Value& v : row) {
    if (v.isNull()) continue;
    if (auto* text = std::get_if<std::u16string>(&v.storage());
        text && text->capacity() > std::u16string().capacity() && s.spareTexts.size() < row.size()) {
      s.spareTexts.push_back(std::move(*text));
    }
    v = Value();
  }
  s.pending.push_back(std::move(row));
  s.position = s.total() - 1;
}

Value RecordsetState::storedValue(size_t stored, size_t field) const {
  if (stored + 1 == storedAt.size() && field < lastStored.size()) return lastStored[field];
  if (stored < trustedFrom || jet::DatabaseWriter::deletions() != deletionsSeen) {
    fail(errc::kNoCurrentRecord, "The current record may have been deleted: rows were deleted "
                                 "from the file since it was stored.");
  }
  jet::Database& db = openConnection->database();  // writes what is pending first
  const size_t column[] = {fields[field].tableColumn};
  std::vector<Value> out;
  if (!db.readRow(*db.tableDef(baseTable), jet::RowPointer::fromRaw(storedAt[stored]), column, out)) {
    fail(errc::kNoCurrentRecord, "The current record has been deleted.");
  }
  return std::move(out[0]);
}

void Recordset::updateBatch(int affectRecords) {
  RecordsetState& s = *state_;
  s.requireOpen();
  if (affectRecords != adAffectAll && affectRecords != adAffectCurrent) {
    fail(errc::kBadArguments, "UpdateBatch takes 1 (current row) or 3 (all rows).");
  }
  size_t count = s.pending.size();
  if (affectRecords == adAffectCurrent) {
    // Pending rows are stored in order; storing the current one stores those before it.
    if (s.position < s.firstPending() || s.position >= s.total()) return;
    count = s.position - s.firstPending() + 1;
  }
  if (count == 0) return;
  jet::DatabaseWriter* writer = nullptr;
  try {
    writer = &writerOf(*s.openConnection);
  } catch (...) {
    s.pending.erase(s.pending.begin());  // refused like a row the file cannot take
    throw;
  }
  for (; count > 0; --count) {
    std::vector<Value>& row = s.pending.front();
    // The engine reads the values where they are: a row's texts are not copied.
    std::vector<std::pair<size_t, const Value*>>& values = s.storing;
    values.clear();
    for (size_t f = 0; f < s.fields.size(); ++f) {
      if (!s.fields[f].autoIncrement) values.emplace_back(s.fields[f].tableColumn, &row[f]);
    }
    s.wrote = true;
    if (const uint64_t deletions = jet::DatabaseWriter::deletions(); deletions != s.deletionsSeen) {
      s.deletionsSeen = deletions;
      s.trustedFrom = s.storedAt.size();
    }
    jet::RowPointer at;
    try {
      int32_t counter = storeRow(*writer, s.baseTable, values, s.tableRow, &at);
      for (size_t f = 0; f < s.fields.size(); ++f) {
        if (s.fields[f].autoIncrement && counter != 0) row[f] = Value(counter);
      }
    } catch (...) {
      // A row the file refuses is dropped rather than kept pending, so that it does not make
      // every later UpdateBatch fail and take the rows after it along.
      s.pending.erase(s.pending.begin());
      throw;
    }
    s.storedAt.push_back(at.raw());
    s.spareRow = std::move(s.lastStored);
    s.lastStored = std::move(row);
    s.pending.erase(s.pending.begin());
  }
}

}  // namespace data
