#include "run/fill_cert_row.h"

#include <string>

#include "data/error.h"
#include "run/text_copy.h"

namespace run {

using namespace std::string_view_literals;

ColumnRef::ColumnRef(const data::Recordset& rs, std::u16string_view name) : rs_(rs), name_(name) {
  try {
    field_.emplace(rs.field(name));
  } catch (const data::Error&) {
    // Left to fail at each use, with the same error.
  }
}

void ColumnRef::setValue(data::Value&& value) const {
  if (field_) {
    field_->setValue(std::move(value));
  } else {
    rs_.setCollect(name_, std::move(value));
  }
}

void ColumnRef::setValueFrom(const ColumnRef& from, void (*adjust)(data::Value&)) const {
  if (field_ && from.field_) return field_->setValueFrom(*from.field_, adjust);
  data::Value value = from.value();
  if (adjust) adjust(value);
  setValue(std::move(value));
}

PassColumns::PassColumns(Pass pass, const data::Recordset& source, const data::Recordset& cert)
    : pass(pass),
      copies{{
          {{cert, u"LName"sv}, {source, u"LName"sv}, true},
          {{cert, u"FName"sv}, {source, u"FName"sv}, true},
          {{cert, u"Course"sv},
           {source, pass == Pass::Qualification ? u"Course"sv : u"CourseName"sv}, true},
          {{cert, u"Date"sv},
           {source, pass == Pass::Qualification ? u"QualDate"sv : u"CourseDate"sv}, false},
          {{cert, u"Location"sv}, {source, u"Location"sv}, true},
          {{cert, u"Email"sv}, {source, u"Email"sv}, true},
          {{cert, u"Expiration"sv}, {source, u"Expiration"sv}, false},
          {{cert, u"LicenseNo"sv}, {source, u"License"sv}, true},
          {{cert, u"Licensee"sv}, {source, u"Licensee"sv}, true},
      }},
      type(cert, u"Type"sv),
      office(cert, u"Office"sv),
      sourceOffice(source, u"Office"sv),
      sourceLicensee(source, u"Licensee"sv) {}

void FillCertRow(const PassColumns& columns, FailureRule& rule) {
  /* 1 to 9 */
  for (const PassColumns::Copy& copy : columns.copies) {
    rule.attempt([&] { copy.to.setValueFrom(copy.from, copy.text ? makeTextCopy : nullptr); });
  }
  /* 10 */ rule.attempt([&] {
    columns.type.setValue(std::u16string(columns.pass == Pass::Qualification ? u"Q" : u"T"));
  });
  /* 11 */
  const bool officeEmpty =
      rule.decide([&] { return textCopy(columns.sourceOffice.value()).empty(); });
  const ColumnRef& from = officeEmpty ? columns.sourceLicensee : columns.sourceOffice;
  rule.attempt([&] { columns.office.setValueFrom(from, makeTextCopy); });
}

}  // namespace run
