// ADODB.Recordset with a client-side static cursor: the rows of a query, counted exactly
// when it opens, kept compactly in memory, with one current row.
//
// Properties set before open() are the defaults of open()'s left-out arguments. After open()
// the first row is current (eof() when there is none) and the field list exists even with
// no rows. addNew() starts a row of the underlying table; field writes fill it;
// updateBatch() stores every pending row in the file. Only a SELECT of one table without a
// join can be updated.
//
// Copies refer to the same recordset object.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/command.h"
#include "data/connection.h"
#include "data/field.h"
#include "data/types.h"

namespace data {

class Recordset {
 public:
  Recordset();  // a new, closed recordset

  void setActiveConnection(const Connection& connection);
  Connection activeConnection() const;  // errc::kNoConnection when none
  void setCursorType(int type);
  int cursorType() const;
  void setCursorLocation(int location);
  int cursorLocation() const;
  void setLockType(int type);
  int lockType() const;
  void setSource(std::u16string text);
  void setSource(const Command& command);  // takes the command's text and connection

  // Open(Source, ActiveConnection, CursorType, LockType, Options); a left-out argument
  // (no value, -1) takes the property. errc::kObjectOpen when already open.
  void open();
  void open(std::u16string_view source, std::optional<Connection> connection = std::nullopt,
            int cursorType = adOpenUnspecified, int lockType = adLockUnspecified,
            int options = adCmdUnspecified);
  void open(const Command& source, std::optional<Connection> connection = std::nullopt,
            int cursorType = adOpenUnspecified, int lockType = adLockUnspecified,
            int options = adCmdUnspecified);
  void close();   // errc::kObjectClosed when not open
  int state() const;  // adStateOpen or adStateClosed

  // The exact number of rows, including those added; errc::kObjectClosed when closed.
  int recordCount() const;
  bool eof() const;
  bool bof() const;
  void moveNext();   // errc::kNoCurrentRecord when already past the last row
  void moveFirst();

  Fields fields() const;  // errc::kObjectClosed when closed
  Field field(std::u16string_view name) const;  // fields().item(name)
  // ADO's Collect: field(name).value() and field(name).setValue(value), without a Field.
  Value collect(std::u16string_view name) const;
  void setCollect(std::u16string_view name, Value value) const;

  // Starts a new row; the row becomes current. Unwritten columns stay Null (the counter
  // column is numbered by the engine when the row is stored).
  void addNew();
  // Stores the pending new rows (affect adAffectAll; adAffectCurrent stores the current one).
  void updateBatch(int affectRecords = adAffectAll);
  void update() { updateBatch(adAffectCurrent); }

 private:
  void openWith(std::u16string source, std::optional<Connection> connection, int cursorType,
                int lockType, int options);
  std::shared_ptr<RecordsetState> state_;
};

}  // namespace data
