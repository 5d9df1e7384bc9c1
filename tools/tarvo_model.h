// A deterministic, seeded Tarvo records database: the four tables Control, Roster,
// Qualifications and Training, their columns, and every row as a function of (seed, table,
// row number). Nothing is stored: any row can be made again on demand, so a database of
// millions of rows is written, and its expected certificate rows computed, as a stream.
//
// The fill is meant to exercise the extraction: failed and passed courses; Null, empty and
// blank offices; Nulls in every nullable column; blanks at the ends of texts; names in many
// scripts; people of another licence or with no licence; courses whose AgentID is on no
// roster row (or Null); dates at the edges of the Jet range; memo notes from empty to
// several pages long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/util/value.h"

namespace tools {

// ---- schema -----------------------------------------------------------------------------

struct ColumnSpec {
  std::u16string name;
  jet::ColumnType type;
  int maxLength = 0;        // Text: characters; 0 for other types
  bool required = false;    // NOT NULL
  bool autoNumber = false;  // Long autonumber (the key of the table)
  std::u16string description;
};

struct TableSpec {
  std::u16string name;
  std::vector<ColumnSpec> columns;
  size_t column(std::u16string_view name) const;  // index; asserts it exists
};

// Control, Roster, Qualifications, Training, in that order.
const std::vector<TableSpec>& tarvoTables();
const TableSpec& tarvoTable(std::u16string_view name);

// ---- rows ---------------------------------------------------------------------------------

using Row = std::vector<jet::Value>;  // in the column order of the table's TableSpec

struct TarvoOptions {
  uint64_t seed = 1;
  int64_t people = 30;
  int64_t qualifications = 120;
  int64_t trainings = 150;
};

// The fields the extraction reads, by name, plus the row as stored.
struct Person {
  int32_t id = 0;
  jet::Value license, office, lname, fname, email;
  Row row;
};
struct Course {
  int32_t number = 0;  // QID / TID
  jet::Value agentId, name, date, location, expiration;
  bool passed = false;
  Row row;
};

class TarvoModel {
 public:
  explicit TarvoModel(const TarvoOptions& options);

  const TarvoOptions& options() const { return options_; }
  // The one Control row: the office's licence number and name.
  const std::u16string& licenseNumber() const { return license_; }
  const std::u16string& licensee() const { return licensee_; }
  Row controlRow() const;

  // Roster rows have the IDs 1..people, in that order.
  Person person(int64_t id) const;
  // Qualifications and Training rows are numbered 1..count.
  Course qualification(int64_t number) const;
  Course training(int64_t number) const;

  // The roster row that AgentID refers to, when there is one.
  bool onRoster(const jet::Value& agentId) const;

 private:
  Course course(bool isTraining, int64_t number) const;

  TarvoOptions options_;
  std::u16string license_;
  std::u16string licensee_;
  std::vector<std::u16string> otherLicenses_;
};

// ---- dates --------------------------------------------------------------------------------

// Jet's day count for a civil date and time. Before 1899-12-30 Jet counts the whole days
// negatively and adds the time of day as a negative fraction too (-1.75 = 1899-12-29 18:00).
double jetDays(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// "YYYY-MM-DDTHH:MM:SS" of a Jet day count, the inverse of jetDays (whole seconds).
std::string formatJetDate(double days);

}  // namespace tools
