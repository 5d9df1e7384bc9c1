#include "run/fill_cert_row.h"

#include <string_view>

#include "run/text_copy.h"

namespace run {

void FillCertRow(Pass pass, const data::Recordset& source, const data::Recordset& cert,
                 FailureRule& rule) {
  // Names as views of literals: their lengths are known here rather than counted per call.
  using namespace std::string_view_literals;
  const bool qualification = pass == Pass::Qualification;
  auto text = [&](std::u16string_view to, std::u16string_view from) {
    rule.attempt([&] { cert.setCollect(to, textCopy(source.collect(from))); });
  };
  auto value = [&](std::u16string_view to, std::u16string_view from) {
    rule.attempt([&] { cert.setCollect(to, source.collect(from)); });
  };

  /* 1 */ text(u"LName"sv, u"LName"sv);
  /* 2 */ text(u"FName"sv, u"FName"sv);
  /* 3 */ text(u"Course"sv, qualification ? u"Course"sv : u"CourseName"sv);
  /* 4 */ value(u"Date"sv, qualification ? u"QualDate"sv : u"CourseDate"sv);
  /* 5 */ text(u"Location"sv, u"Location"sv);
  /* 6 */ text(u"Email"sv, u"Email"sv);
  /* 7 */ value(u"Expiration"sv, u"Expiration"sv);
  /* 8 */ text(u"LicenseNo"sv, u"License"sv);
  /* 9 */ text(u"Licensee"sv, u"Licensee"sv);
  /* 10 */ rule.attempt([&] {
    cert.setCollect(u"Type"sv, std::u16string(qualification ? u"Q" : u"T"));
  });
  /* 11 */
  const bool officeEmpty = rule.decide([&] { return textCopy(source.collect(u"Office"sv)).empty(); });
  text(u"Office"sv, officeEmpty ? u"Licensee"sv : u"Office"sv);
}

}  // namespace run
