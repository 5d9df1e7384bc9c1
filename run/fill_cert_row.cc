#include "run/fill_cert_row.h"

#include "data/field.h"
#include "run/text_copy.h"

namespace run {

void FillCertRow(Pass pass, const data::Recordset& source, const data::Recordset& cert,
                 FailureRule& rule) {
  const bool qualification = pass == Pass::Qualification;
  auto text = [&](const char16_t* to, const char16_t* from) {
    rule.attempt([&] { cert.setCollect(to, textCopy(source.collect(from))); });
  };
  auto value = [&](const char16_t* to, const char16_t* from) {
    rule.attempt([&] { cert.setCollect(to, source.collect(from)); });
  };

  /* 1 */ text(u"LName", u"LName");
  /* 2 */ text(u"FName", u"FName");
  /* 3 */ text(u"Course", qualification ? u"Course" : u"CourseName");
  /* 4 */ value(u"Date", qualification ? u"QualDate" : u"CourseDate");
  /* 5 */ text(u"Location", u"Location");
  /* 6 */ text(u"Email", u"Email");
  /* 7 */ value(u"Expiration", u"Expiration");
  /* 8 */ text(u"LicenseNo", u"License");
  /* 9 */ text(u"Licensee", u"Licensee");
  /* 10 */ rule.attempt([&] {
    cert.setCollect(u"Type", std::u16string(qualification ? u"Q" : u"T"));
  });
  /* 11 */
  const bool officeEmpty = rule.decide([&] { return textCopy(source.collect(u"Office")).empty(); });
  text(u"Office", officeEmpty ? u"Licensee" : u"Office");
}

}  // namespace run
