#include "certfile/cert_columns.h"
#include "certfile/create.h"
#include "certfile/data_source.h"
#include "data/ado.h"

namespace certfile {

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
  recId.setName(kRecIdColumn);
  recId.properties().item(u"Autoincrement").setValue(true);
  recId.properties().item(u"Description").setValue(std::u16string(kRecIdDescription));
  table.columns().append(recId);

  for (const DataColumn& column : kDataColumns) {
    table.columns().append(column.name, column.type);
    if (column.attributes) table.columns().item(column.name).setAttributes(column.attributes);
  }

  catalog.tables().append(table);
}

}  // namespace certfile
