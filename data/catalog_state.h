// The shared objects behind Catalog, Table and Column references.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/catalog.h"
#include "data/connection.h"
#include "data/types.h"

namespace data {

struct CatalogState {
  std::optional<Connection> connection;
};

struct ColumnState {
  std::u16string name;
  int type = adVarWChar;
  int definedSize = 0;
  int attributes = 0;
  std::shared_ptr<CatalogState> parent;
  // Provider properties, in ADOX's order; present once `parent` is set.
  std::vector<std::pair<std::u16string, Value>> properties;
  bool appended = false;  // part of a table written to a file: read-only from then on
};

struct TableState {
  std::u16string name;
  std::vector<Column> columns;
  bool appended = false;
};

}  // namespace data
