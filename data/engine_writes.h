// The engine's writing operations as the data layer needs them: a new file, a new table, a
// new row. Kept in one place so that the objects above stay independent of how the engine
// spells them.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jet/port/new_file.h"
#include "jet/write/database_writer.h"
#include "jet/util/value.h"

namespace data {

struct NewColumn {
  std::u16string name;
  jet::ColumnType type = jet::ColumnType::Text;
  int size = 0;  // text: characters (0: 255)
  bool autoIncrement = false;
  bool required = false;
  bool compressedUnicode = false;  // text and memo: the compressed form is allowed
  std::u16string description;
};

// A new, empty Jet 4.0 file; fails when the path exists.
void createDatabaseFile(const std::filesystem::path& path, std::u16string_view password);
// The same file written into the scratch file of `file`, left for the caller to publish.
void createDatabaseFile(jet::NewFile& file, std::u16string_view password);
void createTable(jet::DatabaseWriter& writer, std::u16string_view name,
                 const std::vector<NewColumn>& columns);
// `values` pairs positions in the table's current definition with the values to store
// (of two for one position, the later); columns not given are Null, and a counter column
// given no value is numbered by the engine. Returns the counter's value, or 0 when the
// table has none. The values are read where they are, not copied; `row` is scratch space the
// caller keeps between calls so that storing a row allocates nothing. `stored`, when given,
// receives where the row went.
int32_t storeRow(jet::DatabaseWriter& writer, std::u16string_view table,
                 std::span<const std::pair<size_t, const jet::Value*>> values,
                 std::vector<const jet::Value*>& row, jet::RowPointer* stored = nullptr);

}  // namespace data
