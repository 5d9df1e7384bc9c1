// Tarvo_Certs, column by column, as CreateAccessTable appends them; exported so that the
// tests and benchmarks that make or check the table take its shape from here:
//
//   #  name        type code              set on the column
//   1  RecID       3   adInteger          Autoincrement = True, Description
//   2  LName       202 adVarWChar
//   3  FName       202
//   4  Course      202
//   5  Date        7   adDate
//   6  Location    202
//   7  Email       202                    Attributes = adColNullable
//   8  Expiration  7
//   9  LicenseNo   202
//  10  Office      202
//  11  Licensee    202
//  12  Type        200 adVarChar          the only one of code 200
//
// No size is given to any text column (the default applies), no index, key or default.
#pragma once

#include "data/types.h"

namespace certfile {

// Column 1, the counter the database numbers.
inline constexpr const char16_t* kRecIdColumn = u"RecID";
inline constexpr const char16_t* kRecIdDescription = u"Autoincrement Record ID";

struct DataColumn {
  const char16_t* name;
  int type;            // ADO type code
  int attributes = 0;  // ADO column attributes
};

// Columns 2 to 12, in their upload order.
inline constexpr DataColumn kDataColumns[] = {
    {u"LName", data::adVarWChar},    {u"FName", data::adVarWChar},
    {u"Course", data::adVarWChar},   {u"Date", data::adDate},
    {u"Location", data::adVarWChar}, {u"Email", data::adVarWChar, data::adColNullable},
    {u"Expiration", data::adDate},   {u"LicenseNo", data::adVarWChar},
    {u"Office", data::adVarWChar},   {u"Licensee", data::adVarWChar},
    {u"Type", data::adVarChar},
};

}  // namespace certfile
