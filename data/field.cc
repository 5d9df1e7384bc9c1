#include "data/field.h"

#include <cstring>

#include "data/recordset_state.h"
#include "data/text.h"
#include "data/value_convert.h"
#include "jet/sql/collation.h"

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

Value Field::value() const {
  rs_->requireField(generation_);
  rs_->requireCurrentRow();
  return rs_->valueAt(rs_->position, static_cast<size_t>(index_));
}

void Field::setValue(Value value) {
  rs_->requireField(generation_);
  rs_->requireCurrentRow();
  size_t row = rs_->position;
  const FieldInfo& f = rs_->fields[index_];
  if (row < rs_->firstPending()) {
    fail(errc::kNotSupported, "Only a row started with AddNew can be written; changing stored "
                              "rows is not supported.");
  }
  if (f.autoIncrement) {
    fail(errc::kIntegrityViolation, "The column '" + toUtf8(f.name) +
                                        "' is numbered by the database and cannot be written.");
  }
  rs_->pending[row - rs_->firstPending()][index_] =
      convertForColumn(std::move(value), {f.name, f.columnType, f.size});
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
  rs->requireOpen();
  // A hint names the first field equal to some name once kept where this one is. Equality
  // without regard to case is an equivalence, so when the hinted field equals this name too,
  // no field before it can: the hint gives the same answer as the scan.
  // Callers nearly always spell a name as the field does, so an exact match is tried first.
  RecordsetState::NameHint& hint = rs->nameHint(name.data());
  if (hint.name == name.data() && hint.field < rs->fields.size()) {
    const std::u16string& hinted = rs->fields[hint.field].name;
    // Equality by memcmp: char16_t's traits compare one character at a time.
    const bool same = hinted.size() == name.size() &&
                      std::memcmp(hinted.data(), name.data(), name.size() * sizeof(char16_t)) == 0;
    if (same || jet::sql::equalsIgnoringCase(hinted, name)) {
      return Field(rs, static_cast<int>(hint.field), rs->generation);
    }
  }
  for (size_t i = 0; i < rs->fields.size(); ++i) {
    if (jet::sql::equalsIgnoringCase(rs->fields[i].name, name)) {
      hint = {name.data(), i};
      return Field(rs, static_cast<int>(i), rs->generation);
    }
  }
  fail(errc::kItemNotFound, "Item cannot be found in the collection: there is no field named '" +
                                toUtf8(name) + "'.");
}

}  // namespace data
