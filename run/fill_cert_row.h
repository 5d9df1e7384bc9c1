// FillCertRow: one source row of a pass into the certificate row just added.
//
//   step  certificate column  qualification pass  training pass   copy
//    1    LName               LName               LName            text
//    2    FName               FName               FName            text
//    3    Course              Course              CourseName       text
//    4    Date                QualDate            CourseDate       value (Null stays Null)
//    5    Location            Location            Location         text
//    6    Email               Email               Email            text
//    7    Expiration          Expiration          Expiration       value
//    8    LicenseNo           License             License          text
//    9    Licensee            Licensee            Licensee         text
//   10    Type                "Q"                 "T"              constant
//   11    Office              Office rule         Office rule      text
//
// Office rule: when the source Office is Null or the empty text, Office gets Licensee;
// otherwise Office. Each step is a step of the run under its failure rule: a failed step
// leaves its column as the new row had it and the mapping goes on; a failed Office test
// takes Licensee. The row is neither added, saved nor moved here.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "data/recordset.h"
#include "run/failure_rule.h"

namespace run {

enum class Pass { Qualification, Training };

// A named column of a record set, found once. A name that could not be found then is
// looked up again at each use, so that each use fails as a look-up by name does.
class ColumnRef {
 public:
  ColumnRef(const data::Recordset& rs, std::u16string_view name);
  data::Value value() const { return field_ ? field_->value() : rs_.collect(name_); }
  void setValue(data::Value&& value) const;
  // setValue(from.value()), with `adjust` applied to the value first (when given).
  void setValueFrom(const ColumnRef& from, void (*adjust)(data::Value&) = nullptr) const;

 private:
  data::Recordset rs_;
  std::u16string_view name_;  // a literal
  mutable std::optional<data::Field> field_;
};

// The columns of one pass's copy, found when the pass starts rather than by name on every
// row. Good for as long as neither record set is closed.
struct PassColumns {
  PassColumns(Pass pass, const data::Recordset& source, const data::Recordset& cert);

  struct Copy {
    ColumnRef to, from;
    bool text;  // a text copy, else a value copy
  };
  Pass pass;
  std::array<Copy, 9> copies;  // steps 1 to 9
  ColumnRef type;
  ColumnRef office, sourceOffice, sourceLicensee;
};

void FillCertRow(const PassColumns& columns, FailureRule& rule);

}  // namespace run
