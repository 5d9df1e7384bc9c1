// A connection whose Mode denies other writers ("Share Deny Write") opens its file for
// writing at once and stays its one writer until it closes: what it reads before its first
// change cannot be changed under it by another writer. Any other connection opens the file
// read-only and opens it for writing too at the first statement or row that writes, when its
// Mode allows: a source database, opened "Read|Write" but only read, is never locked against
// others or touched, even when the file itself is read-only.
#include "data/connection.h"

#include <exception>
#include <optional>

#include "data/connection_string.h"
#include "data/error.h"
#include "jet/sql/parser.h"
#include "data/text.h"
#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/sql/executor.h"
#include "jet/sql/shared_scans.h"

namespace data {

struct Connection::Impl {
  std::u16string connectionString;
  int cursorLocation = adUseServer;
  std::optional<ConnectionString> parsed;  // of the open connection
  std::optional<jet::Database> db;
  std::unique_ptr<jet::DatabaseWriter> writer;  // declared after db: released before it
  jet::sql::SharedScans scans;
};

namespace {

// The open database as it is, pending writes or not.
jet::Database& openDatabase(Connection::Impl& impl) {
  if (!impl.db) fail(errc::kObjectClosed, "Operation is not allowed when the connection is closed.");
  return *impl.db;
}

}  // namespace

Connection::Connection() : impl_(std::make_shared<Impl>()) {}

void Connection::setConnectionString(std::u16string text) {
  if (impl_->db) fail(errc::kObjectOpen, "The connection string cannot be changed while the connection is open.");
  impl_->connectionString = std::move(text);
}

const std::u16string& Connection::connectionString() const { return impl_->connectionString; }

void Connection::setCursorLocation(int location) {
  if (location != adUseClient && location != adUseServer) {
    fail(errc::kBadArguments, "The cursor location must be 2 (server) or 3 (client).");
  }
  impl_->cursorLocation = location;
}

int Connection::cursorLocation() const { return impl_->cursorLocation; }

void Connection::open() { open(u"", u"", u"", adConnectUnspecified); }

void Connection::open(std::u16string_view connectionString, std::u16string_view userId,
                      std::u16string_view password, int options) {
  if (impl_->db) fail(errc::kObjectOpen, "The connection is already open.");
  if (options != adConnectUnspecified && options != 0) {
    fail(errc::kBadArguments, "Only synchronous opening (options -1) is supported.");
  }
  if (!userId.empty() && !equalsIgnoreCase(userId, u"Admin")) {
    fail(errc::kNotSupported, "Only the default user Admin is supported; the file has no user accounts.");
  }
  if (!password.empty()) {
    fail(errc::kNotSupported, "User passwords are not supported; give the database password in "
                              "the connection string (Jet OLEDB:Database Password).");
  }
  std::u16string text = connectionString.empty() ? impl_->connectionString
                                                 : std::u16string(connectionString);
  ConnectionString cs = ConnectionString::parse(text);
  cs.requireJetFile();
  impl_->db = jet::Database::open(toPath(*cs.dataSource), cs.password.value_or(u""),
                                  cs.writable && cs.denyWrite);
  impl_->parsed = std::move(cs);
  if (!connectionString.empty()) impl_->connectionString = std::move(text);
}

void Connection::execute(std::u16string_view statement) {
  jet::Database& db = database();
  jet::sql::Statement parsed = jet::sql::parse(statement);
  if (std::holds_alternative<jet::sql::SelectStatement>(parsed)) {
    jet::sql::execute(db, nullptr, parsed);
  } else {
    jet::DatabaseWriter& writer = writerOf(*this);
    jet::sql::execute(*impl_->db, &writer, parsed);
    // A statement's changes are written when it ends, as one group: a DELETE's marks do not
    // wait to be mixed into the batch of the rows stored after it.
    writer.writePending();
  }
}

void Connection::close() {
  if (!impl_->db) fail(errc::kObjectClosed, "The connection is already closed.");
  std::exception_ptr failed;
  if (impl_->writer) {
    try {
      impl_->writer->flush();
    } catch (...) {
      failed = std::current_exception();
    }
  }
  impl_->writer.reset();
  impl_->db.reset();
  impl_->parsed.reset();
  if (failed) std::rethrow_exception(failed);
}

int Connection::state() const { return impl_->db ? adStateOpen : adStateClosed; }

jet::Database& Connection::database() const {
  jet::Database& db = openDatabase(*impl_);
  if (impl_->writer) impl_->writer->writePending();
  return db;
}

jet::sql::SharedScans& Connection::sharedScans() const { return impl_->scans; }

void flushWrites(const Connection& connection) {
  Connection::Impl& impl = *connection.impl_;
  if (impl.db && impl.writer) impl.writer->flush();
}

const jet::DatabaseWriter* existingWriter(const Connection& connection) {
  return connection.impl_->writer.get();
}

jet::DatabaseWriter& writerOf(const Connection& connection) {
  Connection::Impl& impl = *connection.impl_;
  jet::Database& db = openDatabase(impl);
  if (impl.writer) return *impl.writer;
  if (!impl.parsed->writable) {
    throw jet::FileError(errc::kUnspecified, "The database was opened read-only (Mode=Read) and cannot be changed.");
  }
  if (!db.writable()) {
    // The read-only open stays until the writable one has succeeded: a file that cannot be
    // written, or that another program is writing, leaves the connection open for reading.
    jet::Database writable = jet::Database::open(db.path(), impl.parsed->password.value_or(u""), true);
    *impl.db = std::move(writable);
  }
  impl.writer = std::make_unique<jet::DatabaseWriter>(*impl.db, jet::DatabaseWriter::Durability::kBatched);
  return *impl.writer;
}

}  // namespace data
