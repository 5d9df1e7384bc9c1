// Private to the writer's .cc files: what the writer keeps per table it has touched.
#pragma once

#include <map>

#include "jet/write/database_writer.h"
#include "jet/format/row_builder.h"

namespace jet {

struct DatabaseWriter::TableState {
  TableDef def;
  uint32_t currentPage = 0;                // data page taking inserts; 0 = not chosen yet
  std::map<uint16_t, uint32_t> lvalPages;  // per memo/OLE column number: LVAL page taking rows
  bool autoNumberChecked = false;          // resumed after the rows of the last data page
  bool emptied = false;                    // every row deleted here, none stored since
  bool countChecked = false;               // stored count known to hold before the first insert
  RowEncoder encoder;                      // its buffers serve every row of the table
};

// Key bytes of a row for one real index (Long, Integer, Byte and Text columns).
std::vector<uint8_t> indexKeyFor(const TableDef& def, const RealIndexDef& index, RowValues values);

Error tableNotFound(std::u16string_view name);

// Throws when a name cannot be a table's (length, characters the index keys cannot hold).
void checkTableName(std::u16string_view name);

}  // namespace jet
