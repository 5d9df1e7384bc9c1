// Adding a column (ALTER TABLE ... ADD COLUMN): the column gets the next column number, the
// next var slot or the end of the fixed area, and the TDEF is rewritten. Rows already stored
// are not touched: their column count is smaller, so they read the new column as Null.
#include "jet/format/data_page_builder.h"
#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/format/system_catalog_layout.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map_builder.h"

namespace jet {

void DatabaseWriter::addColumn(std::u16string_view table, const ColumnSpec& wanted) {
  TableState& t = state(table);
  if (wanted.name.empty() || wanted.name.size() > 64) throw Error(errc::kUnspecified, "A column name must have 1 to 64 characters.");
  if (t.def.findColumn(wanted.name)) {
    throw Error(errc::kUnspecified, "Table '" + toUtf8(table) + "' already has a column '" + toUtf8(wanted.name) + "'.");
  }
  if (t.def.columns.size() >= 255 || t.def.maxColumns >= 0xFFFF) {
    throw Error(errc::kUnspecified, "Table '" + toUtf8(table) + "' cannot take more columns.");
  }
  if (wanted.type == ColumnType::Text && (wanted.textLength < 1 || wanted.textLength > 255)) {
    throw Error(errc::kUnspecified, "A Text column holds 1 to 255 characters.");
  }
  if (wanted.autoIncrement) {
    throw Error(errc::kUnspecified, "An autonumber column cannot be added to an existing table.");
  }
  if (!wanted.description.empty() || wanted.required) {
    throw Error(errc::kUnspecified, "Properties of added columns are not supported.");
  }
  ColumnDef c = nextColumn(t.def, columnDeclFor(wanted));
  if (c.isLongValue()) {
    // Its two long-value maps go beside the table's own maps when there is room.
    uint32_t mapPage = RowPointer::fromRaw(t.def.ownedPagesMap).page;
    if (mapPage == 0 || !DataPageBuilder(pages_.edit(mapPage)).fits(2 * (kUsageMapRowSize + 2))) {
      mapPage = pages_.allocate();
      DataPageBuilder::init(pages_.edit(mapPage), 0);
    }
    DataPageBuilder dp(pages_.edit(mapPage));
    const auto empty = buildInlineUsageMap(0, kInlineBitmapBytes, {});
    c.lvOwnedMap = RowPointer{mapPage, dp.append(empty)}.raw();
    c.lvFreeMap = RowPointer{mapPage, dp.append(empty)}.raw();
  }
  t.def.columns.push_back(c);
  t.def.maxColumns = static_cast<uint16_t>(t.def.maxColumns + 1);
  if (!c.isFixed()) t.def.varColumnCount = static_cast<uint16_t>(t.def.varColumnCount + 1);
  rewriteTableDefinition(t);
  pages_.flush(durability_ == Durability::kEachRow);
  refreshReader();
}

}  // namespace jet
