// Between ADO's type codes and the engine's column types.
#pragma once

#include <optional>

#include "jet/util/value.h"

namespace data {

int adoTypeOf(jet::ColumnType type);
// The column type an ADOX column of that code becomes; nothing for a code Jet cannot store.
std::optional<jet::ColumnType> columnTypeOf(int adoType);

}  // namespace data
