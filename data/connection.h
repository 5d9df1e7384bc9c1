// ADODB.Connection: one open Jet database file.
//
// A Connection is a reference to a shared object, as an ADO object variable is: copies refer
// to the same connection, and the file closes when the last reference (including the one a
// Recordset or Command keeps as its ActiveConnection) goes away, or on close().
//
// Rows stored through the connection are written in groups, as Jet's own lazy writes do. They
// reach the file before anything reads it through the connection (a query, a record set, the
// catalog), at the end of each DELETE or ALTER TABLE, when the record set that stored them is
// closed, and at close(); close() reports a failed write. When the last reference merely goes
// away, a failure of that last write cannot be reported.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "data/types.h"

namespace jet {
class Database;
class DatabaseWriter;
namespace sql {
class SharedScans;
}
}

namespace data {

class Connection {
 public:
  Connection();  // a new, closed connection

  void setConnectionString(std::u16string text);  // not while open (errc::kObjectOpen)
  const std::u16string& connectionString() const;
  void setCursorLocation(int location);           // adUseClient or adUseServer
  int cursorLocation() const;

  // Opens with the ConnectionString property. A Mode with Write and "Share Deny Write" (or
  // "Share Exclusive") makes the connection the file's one writer from here to close(): the
  // open fails at once when another program is writing the file.
  void open();
  // ADO's Open(ConnectionString, UserID, Password, Options): an empty connection string
  // takes the property; a non-empty one replaces it. User and password must be empty or
  // "Admin"/"" (Jet's default account); options -1 (adConnectUnspecified) only.
  void open(std::u16string_view connectionString, std::u16string_view userId,
            std::u16string_view password, int options = adConnectUnspecified);
  // Runs one statement that returns no rows (DELETE, ALTER TABLE) or a SELECT whose rows
  // are dropped. Records-affected output and options are not offered; the result is dropped.
  void execute(std::u16string_view statement);
  // Writes what is pending and closes the file, which is closed even when that write fails
  // (the error is thrown then). errc::kObjectClosed when not open.
  void close();
  int state() const;

  // The engine behind an open connection, with every pending write in its file, for reading;
  // errc::kObjectClosed when closed.
  jet::Database& database() const;
  // Scans of whole tables that the connection's open record sets share.
  jet::sql::SharedScans& sharedScans() const;

  bool sameObject(const Connection& other) const { return impl_ == other.impl_; }

  struct Impl;

 private:
  friend jet::DatabaseWriter& writerOf(const Connection& connection);
  friend const jet::DatabaseWriter* existingWriter(const Connection& connection);
  friend void flushWrites(const Connection& connection);
  std::shared_ptr<Impl> impl_;
};

// The writer on the connection's database, which is opened for writing first when it was
// opened read-only; fails (jet::FileError) when its Mode is read-only, the file cannot be
// written or another program is writing it, and the connection stays open for reading.
jet::DatabaseWriter& writerOf(const Connection& connection);
// The connection's writer when one was made, else nullptr; makes none.
const jet::DatabaseWriter* existingWriter(const Connection& connection);

// Writes what the connection has pending and syncs the file; a write error is thrown.
// Nothing happens when the connection is closed or has not written.
void flushWrites(const Connection& connection);

}  // namespace data
