// Tarvo_Certs, column by column:
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
#include "certfile/create.h"
#include "certfile/data_source.h"
#include "data/ado.h"

namespace certfile {

namespace {

struct DataColumn {
  const char16_t* name;
  int type;
};

constexpr DataColumn kDataColumns[] = {
    {u"LName", data::adVarWChar},    {u"FName", data::adVarWChar},
    {u"Course", data::adVarWChar},   {u"Date", data::adDate},
    {u"Location", data::adVarWChar}, {u"Email", data::adVarWChar},
    {u"Expiration", data::adDate},   {u"LicenseNo", data::adVarWChar},
    {u"Office", data::adVarWChar},   {u"Licensee", data::adVarWChar},
    {u"Type", data::adVarChar},
};

}  // namespace

void CreateAccessTable(const std::u16string& sDatabaseToCreate) {
  // Declared in this order so that they are released column, table, catalog.
  data::Catalog catalog;
  catalog.setActiveConnection(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =" +
                              dataSourceValue(sDatabaseToCreate));
  data::Table table;
  table.setName(kCertTable);

  data::Column recId;
  recId.setParentCatalog(catalog);  // the provider's properties exist only from here on
  recId.setType(data::adInteger);
  recId.setName(u"RecID");
  recId.properties().item(u"Autoincrement").setValue(true);
  recId.properties().item(u"Description").setValue(std::u16string(u"Autoincrement Record ID"));
  table.columns().append(recId);

  for (const DataColumn& column : kDataColumns) table.columns().append(column.name, column.type);
  table.columns().item(u"Email").setAttributes(data::adColNullable);

  catalog.tables().append(table);
}

}  // namespace certfile
