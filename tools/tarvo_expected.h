// The certificate rows that the two extraction queries and the row mapping produce from a
// TarvoModel, and the JSON file that lists them.
//
// Queries: Qualifications (or Training) INNER JOIN Roster ON AgentID = ID, INNER JOIN
// Control ON License_Nbr = License, WHERE PassFail = True. Mapping: LName, FName, Course,
// Location, Email, LicenseNo (from License) and Licensee are text copies (Null gives the
// empty text, nothing is trimmed); Date and Expiration are copied as dates (Null stays
// Null); Type is "Q" or "T"; Office is the text copy of Licensee when Office is Null or
// exactly empty, else the text copy of Office (so a blank Office stays blank).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "jet/util/value.h"
#include "tools/tarvo_model.h"

namespace tools {

struct CertRow {
  std::u16string lname, fname, course;
  std::optional<double> date;  // Jet day count; nullopt for Null
  std::u16string location, email;
  std::optional<double> expiration;
  std::u16string licenseNo, office, licensee;
  char16_t type = u'Q';
  friend bool operator==(const CertRow&, const CertRow&) = default;
};

// The certificate row of one qualification / training row, or nullopt when the queries
// leave it out (failed, not on the roster, another or no licence).
std::optional<CertRow> qualificationCertRow(const TarvoModel& model, int64_t number);
std::optional<CertRow> trainingCertRow(const TarvoModel& model, int64_t number);

// Every certificate row, qualification rows first, each pass in source row order.
void forEachCertRow(const TarvoModel& model, const std::function<void(const CertRow&)>& visit);

struct CertCounts {
  int64_t qualificationRows = 0;
  int64_t trainingRows = 0;
};

// Writes the expected-rows JSON: source file name, seed, counts, the control row, the
// column list and the rows, sorted (Type, then the row's JSON text) so the file is
// canonical. Sorting spills runs to files beside `out` when the rows take more than
// `sortMemory` bytes, so millions of rows need little memory. `sourceName` is UTF-8.
// Throws std::runtime_error on I/O failure; a partly written file is removed.
CertCounts writeExpectedJson(const TarvoModel& model, const std::string& sourceName,
                             const std::filesystem::path& out, size_t sortMemory = size_t{48} << 20);

// One row as it appears in the file: {"LName": ..., "Type": "Q"} (no indentation).
std::string certRowJson(const CertRow& row);
// JSON string literal of UTF-16 text, non-ASCII written as UTF-8.
std::string jsonString(std::u16string_view text);
// UTF-8 of UTF-16 text (jet::toUtf8).
std::string toUtf8(std::u16string_view text);

}  // namespace tools
