// ALTER TABLE ... ADD COLUMN: the new column goes at the end; stored rows read it as Null.
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/sql/message_text.h"
#include "jet/sql/executor.h"

namespace jet::sql {
void runAddColumn(Database& db, DatabaseWriter& writer, const AddColumnStatement& add) {
  if (const CatalogEntry* link = db.findLink(add.table)) throw linkedTableReadOnly(*link);
  std::shared_ptr<const TableDef> def = db.tableDef(add.table);
  // Jet's names are case-blind: "type" is taken when "Type" exists.
  if (auto existing = def->findColumn(add.column)) {
    throw Error(errc::kUnspecified, "Field '" + messageText(add.column) + "' already exists in table '" +
                                        messageText(def->name) + "' (as '" +
                                        messageText(def->columns[*existing].name) + "').");
  }
  if (add.type.autoIncrement) {
    for (const ColumnDef& c : def->columns) {
      if (c.isAutoNumber()) {
        throw Error(errc::kUnspecified, "The table '" + messageText(def->name) +
                                            "' already has a counter column.");
      }
    }
  }
  ColumnSpec wanted;
  wanted.name = add.column;
  wanted.type = add.type.type;
  wanted.textLength = add.type.type == ColumnType::Text ? add.type.size : 255;
  wanted.autoIncrement = add.type.autoIncrement;
  wanted.required = add.notNull;
  // Jet's DDL stores text uncompressed unless WITH COMPRESSION is given, which we do not parse.
  wanted.compressedUnicode = false;
  writer.addColumn(def->name, wanted);
}

}  // namespace jet::sql
