// The certificate table the writer benchmarks fill, made as the run makes it, and
// deterministic rows of the lengths a run writes.
#pragma once

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "certfile/cert_columns.h"
#include "certfile/create.h"
#include "jet/util/value.h"

namespace bench {

// A new certificate file at `file`: CreateAccessDatabase, then CreateAccessTable.
inline void createCertFile(const std::filesystem::path& file) {
  certfile::CreateAccessDatabase(file.u16string());
  certfile::CreateAccessTable(file.u16string());
}

inline std::u16string numbered(const char* prefix, long i) {
  std::string s = std::string(prefix) + std::to_string(i);
  return std::u16string(s.begin(), s.end());
}

// Row i (the autonumber left to the table) into `v`, one value a column.
inline void certRow(long i, std::vector<jet::Value>& v) {
  v.resize(1 + std::size(certfile::kDataColumns));
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
