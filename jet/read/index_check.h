// Checking one real index of a table: its b-tree walked from the root, level by level, with
// the rules index_page_builder.h describes. A node's children are the pages its entries name,
// then its tail page (the last child, whose entry the node does not hold); each node entry
// repeats the greatest entry beneath it. Leaves are linked from first to last; node pages only
// within one parent. Across the leaf level the entries ascend, each names a live row of the
// table, once, and every live row has one (unless the index leaves Nulls out).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "jet/format/data_page.h"
#include "jet/read/integrity_check.h"
#include "jet/format/table_definition.h"

namespace jet {

class Pager;

// Problems of real index `realIndex` of `def` into `out` (at most `limit` in all).
// `liveRows`: the table's live rows (RowPointer, sorted by raw()), from a full scan.
void checkIndex(Pager& pager, const TableDef& def, size_t realIndex, std::span<const RowPointer> liveRows,
                std::vector<IntegrityProblem>& out, size_t limit);

}  // namespace jet
