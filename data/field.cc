#include "data/field.h"

#include "data/recordset_state.h"
#include "data/text.h"
#include "data/value_convert.h"
#include "jet/sql/collation.h"
#include "jet/util/unicode.h"

namespace data {

const std::u16string& Field::name() const {
  rs_->requireField(generation_);
  return rs_->fields[index_].name;
}

int Field::type() const {
  rs_->requireField(generation_);
  return rs_->fields[index_].adoType;
}

int Field::definedSize() const {
  rs_->requireField(generation_);
  return rs_->fields[index_].size;
}

namespace {

Value valueAt(const RecordsetState& rs, int index) {
  rs.requireCurrentRow();
  return rs.valueAt(rs.position, static_cast<size_t>(index));
}

// The value is converted where it lies and moved once, into the row.
void setValueAt(RecordsetState& rs, int index, Value&& value) {
  // requireCurrentRow(), counting the rows once: a copy pass comes here for every value.
  rs.requireOpen();
  const size_t row = rs.position, firstPending = rs.firstPending();
  if (row >= firstPending + rs.pending.size()) RecordsetState::noCurrentRecord();
  const FieldInfo& f = rs.fields[index];
  if (row < firstPending) {
    fail(errc::kNotSupported, "Only a row started with AddNew can be written; changing stored "
                              "rows is not supported.");
  }
  if (f.autoIncrement) {
    fail(errc::kIntegrityViolation, "The column '" + toUtf8(f.name) +
                                        "' is numbered by the database and cannot be written.");
  }
  convertInPlace(value, {f.name, f.columnType, f.size});
  rs.pending[row - firstPending][index] = std::move(value);
}

}  // namespace

Value Field::value() const {
  rs_->requireField(generation_);
  return valueAt(*rs_, index_);
}

void Field::setValue(Value value) {
  rs_->requireField(generation_);
  setValueAt(*rs_, index_, std::move(value));
}

void Field::setValueFrom(const Field& source, void (*adjust)(Value&)) {
  // Checked in the order of setValue(source.value()): the source, then this field.
  source.rs_->requireField(source.generation_);
  RecordsetState& rs = *rs_;
  const RecordsetState& from = *source.rs_;
  std::u16string text;
  if (!rs.spareTexts.empty()) {
    text = std::move(rs.spareTexts.back());
    rs.spareTexts.pop_back();
  }
  Value value = [&] {
    if (from.currentText(static_cast<size_t>(source.index_), text)) return Value(std::move(text));
    if (text.capacity() > std::u16string().capacity()) rs.spareTexts.push_back(std::move(text));
    return valueAt(from, source.index_);
  }();
  if (adjust) adjust(value);
  rs.requireField(generation_);
  setValueAt(rs, index_, std::move(value));
}

int Fields::count() const {
  rs_->requireOpen();
  return static_cast<int>(rs_->fields.size());
}

Field Fields::item(int index) const {
  rs_->requireOpen();
  if (index < 0 || index >= static_cast<int>(rs_->fields.size())) {
    fail(errc::kItemNotFound, "Item cannot be found in the collection: there is no field number " +
                                  std::to_string(index) + ".");
  }
  return Field(rs_, index, rs_->generation);
}

Field Fields::item(std::u16string_view name) const { return byName(rs_, name); }

Field Fields::byName(const std::shared_ptr<RecordsetState>& rs, std::u16string_view name) {
  return Field(rs, indexOf(*rs, name), rs->generation);
}

Value Fields::valueByName(const RecordsetState& rs, std::u16string_view name) {
  return valueAt(rs, indexOf(rs, name));
}

void Fields::setValueByName(RecordsetState& rs, std::u16string_view name, Value value) {
  setValueAt(rs, indexOf(rs, name), std::move(value));
}

int Fields::indexOf(const RecordsetState& rs, std::u16string_view name) {
  rs.requireOpen();
  // A hint names the first field equal to some name once kept where this one is. Equality
  // without regard to case is an equivalence, so when the hinted field equals this name too,
  // no field before it can: the hint gives the same answer as the scan.
  // Callers nearly always spell a name as the field does, so an exact match is tried first.
  RecordsetState::NameHint& hint = rs.nameHint(name.data());
  if (hint.name == name.data() && hint.field < rs.fields.size()) {
    const std::u16string& hinted = rs.fields[hint.field].name;
    if (jet::sameText(hinted, name) || jet::sql::equalsIgnoringCase(hinted, name)) {
      return static_cast<int>(hint.field);
    }
  }
  for (size_t i = 0; i < rs.fields.size(); ++i) {
    if (jet::sql::equalsIgnoringCase(rs.fields[i].name, name)) {
      hint = {name.data(), i};
      return static_cast<int>(i);
    }
  }
  fail(errc::kItemNotFound, "Item cannot be found in the collection: there is no field named '" +
                                toUtf8(name) + "'.");
}

}  // namespace data
