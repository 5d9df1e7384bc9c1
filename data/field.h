// ADODB.Fields and ADODB.Field of an open Recordset.
//
// Both are light references into their recordset: a Field names a column by position and
// reads or writes the recordset's current row (or the row being added) each time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/value.h"

namespace data {

struct RecordsetState;

class Field {
 public:
  const std::u16string& name() const;
  int type() const;         // a DataTypeEnum code: adInteger, adDate, adVarWChar, ...
  int definedSize() const;  // characters for text, bytes otherwise
  // The value in the current row, or in the row being added after addNew().
  // errc::kNoCurrentRecord when there is no current row; errc::kObjectClosed when the
  // recordset is closed.
  Value value() const;
  // Writes the row being added after addNew() (or edits the current row). The value is
  // converted to the column's type; one it refuses raises errc::kTypeMismatch or
  // errc::kIntegrityViolation (text too long, Null where none is allowed). A value passed
  // as a temporary is moved into the row rather than copied.
  void setValue(Value value);
  // setValue(source.value()) for a field of any open record set, with `adjust` (when given)
  // applied to the value first. A text of a query's row is read into a buffer this record
  // set kept from an earlier row, so copying rows allocates next to nothing.
  void setValueFrom(const Field& source, void (*adjust)(Value&) = nullptr);

 private:
  friend class Fields;
  Field(std::shared_ptr<RecordsetState> rs, int index, uint64_t generation)
      : rs_(std::move(rs)), index_(index), generation_(generation) {}
  std::shared_ptr<RecordsetState> rs_;
  int index_;
  uint64_t generation_;
};

class Fields {
 public:
  int count() const;
  // By position from 0, or by name without regard to case; errc::kItemNotFound otherwise.
  Field item(int index) const;
  Field item(std::u16string_view name) const;

 private:
  friend class Recordset;
  explicit Fields(std::shared_ptr<RecordsetState> rs) : rs_(std::move(rs)) {}
  // item(name) of the recordset's fields without making the collection first.
  static Field byName(const std::shared_ptr<RecordsetState>& rs, std::u16string_view name);
  // item(name).value() and item(name).setValue() without making a Field: once threads have
  // run, every copy of a shared pointer is an atomic operation, two per Field made.
  static Value valueByName(const RecordsetState& rs, std::u16string_view name);
  static void setValueByName(RecordsetState& rs, std::u16string_view name, Value value);
  static int indexOf(const RecordsetState& rs, std::u16string_view name);
  std::shared_ptr<RecordsetState> rs_;
};

}  // namespace data
