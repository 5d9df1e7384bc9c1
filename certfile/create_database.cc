#include "data/ado.h"
#include "certfile/create.h"
#include "certfile/data_source.h"

namespace certfile {

void CreateAccessDatabase(const std::u16string& sDatabaseToCreate) {
  data::Catalog catalog;
  // The connection Create returns is not needed: it closes with the catalog.
  catalog.create(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                 dataSourceValue(sDatabaseToCreate) + u";Jet OLEDB:Engine Type=5;");
}

}  // namespace certfile
