// Creation of the certificate file: an empty Jet 4.0 database, then its one table
// Tarvo_Certs. Neither procedure catches anything: a failure ends it, releases what it
// holds, and reaches the caller with the data layer's number and description.
#pragma once

#include <string>

#include "jet/port/new_file.h"

namespace certfile {

// The table every certificate file holds.
inline constexpr const char16_t* kCertTable = u"Tarvo_Certs";

// An empty Jet 4.0 file at the path; fails when a file is already there.
void CreateAccessDatabase(const std::u16string& sDatabaseToCreate);
// The same file written into the scratch file of `file` and left unpublished, so that the
// table can be made in it before it takes its name.
void CreateAccessDatabase(jet::NewFile& file);

// Tarvo_Certs in the existing file at the path: RecID (counter), then the eleven data
// columns in their upload order. Nothing is written before the table is appended.
void CreateAccessTable(const std::u16string& sDatabaseToCreate);

}  // namespace certfile
