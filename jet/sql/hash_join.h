// The equi-join of two relations: the smaller one is hashed on its key columns, the other
// probes it row by row, so the result follows the probing side's order. Keys compare as Jet
// compares values (compare.h): texts without regard to case, numbers by value; a Null key
// matches nothing.
#pragma once

#include <vector>

#include "jet/sql/column_store.h"
#include "jet/sql/compare.h"
#include "jet/sql/result_set.h"

namespace jet::sql {

struct JoinKey {
  const ColumnStore* store = nullptr;
  size_t position = 0;  // which row number of the relation's tuple indexes the store
  ValueClass kind = ValueClass::Number;
};

// Result rows hold the left positions followed by the right ones. A side of one row that
// takes no stored words (a one-row table) filters the other side in place.
Relation hashJoin(Relation left, const std::vector<JoinKey>& leftKeys, Relation right,
                  const std::vector<JoinKey>& rightKeys);

}  // namespace jet::sql
