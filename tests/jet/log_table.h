// The small table the writer's crash and space tests fill: an autonumber, a text and a memo,
// so that every row has a long value to write and to free.
#pragma once

#include <vector>

#include "jet/write/database_writer.h"

namespace writertest {

inline jet::TableSpec logTableSpec() {
  jet::TableSpec log{u"Log", std::vector<jet::ColumnSpec>(3)};
  log.columns[0].name = u"Id";
  log.columns[0].type = jet::ColumnType::Long;
  log.columns[0].autoIncrement = true;
  log.columns[1].name = u"Name";
  log.columns[2].name = u"Notes";
  log.columns[2].type = jet::ColumnType::Memo;
  return log;
}

}  // namespace writertest
