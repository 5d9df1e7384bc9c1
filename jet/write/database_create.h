// Creating a new, empty Jet 4.0 database file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace jet {

struct CreateOptions {
  std::u16string password;             // "" = none; at most 20 characters
  std::optional<double> creationDate;  // days since 1899-12-30, local time; default now
};

// Writes a new database at `path` holding Jet's system catalog and nothing else: the header
// page, the global usage map, MSysObjects (with its two indexes and the container rows
// Tables, Databases, Relationships and the MSysDb object), MSysACEs with the permission
// rows, MSysQueries and MSysRelationships. The file appears complete or not at all (it is
// written beside the target and renamed). Throws jet::Error if the file exists or cannot be
// written.
void createDatabase(const std::filesystem::path& path, const CreateOptions& options = {});

// The current local time as a Jet date (days since 1899-12-30), rounded to milliseconds.
double jetNow();

}  // namespace jet
