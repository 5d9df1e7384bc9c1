// Tarvo-shaped source databases made for one test, and the certificate rows read back,
// both through the data layer.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/value.h"

namespace runtest {

inline constexpr const char16_t* kPassword = u"KRVNDQLT-58203";

struct PersonRow {
  int32_t id = 0;
  data::Value license, office, lname, fname, email;
};

struct CourseRow {
  data::Value agentId, name, date, location, expiration, passFail;
};

struct SourceDb {
  std::vector<std::pair<data::Value, data::Value>> control;  // License_Nbr, Licensee
  std::vector<PersonRow> roster;
  std::vector<CourseRow> qualifications;
  std::vector<CourseRow> training;
};

// A person of licence L-1 (agency "Agency One") with n passed qualifications and m passed
// trainings, named after the id.
SourceDb simpleSource(int qualifications, int trainings);

void writeSourceDb(const std::filesystem::path& file, const SourceDb& db,
                   const std::u16string& password = kPassword);

using CertRow = std::map<std::u16string, data::Value>;
// Every row of Tarvo_Certs in stored order, by column name.
std::vector<CertRow> readCertRows(const std::filesystem::path& file);
// Column names of Tarvo_Certs in order.
std::vector<std::u16string> certColumns(const std::filesystem::path& file);

data::Value text(const char16_t* s);
data::Value date(double days);

}  // namespace runtest
