// Creating a new, empty Jet 4.0 database file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "jet/port/new_file.h"

namespace jet {

struct CreateOptions {
  std::u16string password;             // "" = none; at most 20 characters
  std::optional<double> creationDate;  // days since 1899-12-30, local time; default now
};

// Writes a new database at `path` holding Jet's system catalog and nothing else: the header
// page, the global usage map, MSysObjects (with its two indexes and the container rows
// Tables, Databases, Relationships and the MSysDb object), MSysACEs with the permission
// rows, MSysQueries and MSysRelationships. Published through jet::NewFile: the file is synced
// before it is renamed into place, never over a file that appeared meanwhile, so a crash or a
// power cut leaves either no file at `path` or the whole one (a killed process leaves a scratch
// file beside it, which a later creation of `path` removes). Throws jet::Error if the file
// exists or cannot be written or synced; when only the folder could not be synced after the
// rename, the error comes with the file in place.
void createDatabase(const std::filesystem::path& path, const CreateOptions& options = {});

// The same database written into the scratch file of `file` (created here) and left
// unpublished, open to other openers: the caller adds to it and publishes it. Failures name
// file.target(), the file the user asked for.
void createDatabase(NewFile& file, const CreateOptions& options = {});

// The current local time as a Jet date (days since 1899-12-30), rounded to milliseconds.
double jetNow();

}  // namespace jet
