// The certificate-shaped table the writer benchmarks fill: Tarvo_Certs' twelve columns and
// deterministic rows of the lengths a run writes.
#pragma once

#include <string>
#include <vector>

#include "jet/write/database_writer.h"

namespace bench {

inline jet::TableSpec certTableSpec() {
  jet::TableSpec wanted{u"Tarvo_Certs", {}};
  wanted.columns.push_back({u"RecID", jet::ColumnType::Long, 255, true, false, false, u"Autoincrement Record ID"});
  for (const char16_t* n : {u"LName", u"FName", u"Course"}) wanted.columns.push_back({n, jet::ColumnType::Text});
  wanted.columns.push_back({u"Date", jet::ColumnType::DateTime});
  wanted.columns.push_back({u"Location", jet::ColumnType::Text});
  wanted.columns.push_back({u"Email", jet::ColumnType::Text});
  wanted.columns.push_back({u"Expiration", jet::ColumnType::DateTime});
  for (const char16_t* n : {u"LicenseNo", u"Office", u"Licensee", u"Type"}) wanted.columns.push_back({n, jet::ColumnType::Text});
  return wanted;
}

inline std::u16string numbered(const char* prefix, long i) {
  std::string s = std::string(prefix) + std::to_string(i);
  return std::u16string(s.begin(), s.end());
}

// Row i (the autonumber left to the table) into `v`, resized to twelve values.
inline void certRow(long i, std::vector<jet::Value>& v) {
  v.resize(12);
  v[0] = jet::Value();
  v[1] = numbered("Lastname", i % 5000);
  v[2] = numbered("First", i % 700);
  v[3] = numbered("Emergency Medical Responder Refresher ", i % 40);
  v[4] = jet::DateTime{40000.0 + static_cast<double>(i % 5000)};
  v[5] = numbered("Station ", i % 90);
  v[6] = numbered("person.number", i % 200000) + u"@example.org";
  v[7] = i % 3 ? jet::Value(jet::DateTime{41000.0 + static_cast<double>(i % 5000)}) : jet::Value();
  v[8] = std::u16string(u"L-918113");
  v[9] = i % 7 ? jet::Value(numbered("Office ", i % 12)) : jet::Value(std::u16string());
  v[10] = std::u16string(u"County Emergency Services Agency");
  v[11] = std::u16string(i % 2 ? u"Q" : u"T");
}

}  // namespace bench
