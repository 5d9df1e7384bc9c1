// The upgrade of an older certificate table: does it have a column, and adding one.
// Both report their own failures in a message box and always return normally.
#pragma once

#include <string>

#include "certfile/message_box.h"
#include "data/connection.h"

namespace certfile {

// True when "SELECT * FROM tableName" on the connection has a field named exactly FieldName
// (case-sensitive). A missing table (80040E37) or an unspecified failure (80004005) answers
// False silently; "item not found" (3265) is passed over; any other failure is shown as
// "Error: N - description" titled "Error Notice" and the answer is what it was then.
bool FieldExists(const data::Connection& cnCerts, const std::u16string& tableName,
                 const std::u16string& FieldName, MessageBox& box);

// Runs "ALTER TABLE t ADD COLUMN f type" with the arguments as given. A failure is shown as
// "N-description" titled "Error in AddNewField"; the caller cannot tell.
void AddNewField(const data::Connection& cnCerts, const std::u16string& tableName,
                 const std::u16string& FieldName, const std::u16string& FieldType,
                 MessageBox& box);

}  // namespace certfile
