#include "data/ado.h"
#include "certfile/create.h"
#include "certfile/data_source.h"

namespace certfile {

namespace {

std::u16string newFileString(const std::u16string& path) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dataSourceValue(path) + u";Jet OLEDB:Engine Type=5;";
}

}  // namespace

void CreateAccessDatabase(const std::u16string& sDatabaseToCreate) {
  data::Catalog catalog;
  // The connection Create returns is not needed: it closes with the catalog.
  catalog.create(newFileString(sDatabaseToCreate));
}

void CreateAccessDatabase(jet::NewFile& file) {
  data::Catalog catalog;
  catalog.create(newFileString(file.scratchPath().u16string()), file);
}

}  // namespace certfile
