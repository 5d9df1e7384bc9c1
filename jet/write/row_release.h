// Giving back the rows a deleted row points at: its long values' LVAL rows and, for a row that
// Jet moved, the moved row. They are removed from their pages (DataPageBuilder::removeRows)
// and the pages go into the owner's free-space map, so later rows reuse the space.
//
// A long value stored outside its row occupies one LVAL row or a chain of them (long_value.h).
// Removing these rows must wait until the deleted row itself is in the file: a live row must
// never point at a removed row, even if the process dies in between.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jet/format/data_page.h"

namespace jet {

class PageWorkspace;

// The LVAL rows the long value with this field (12-byte header and any inline data) occupies:
// none for inline data, one, or every piece of a chain in order. Throws for a field or chain
// that does not hold together (a loop, a piece outside its page, a chain ending early).
std::vector<RowPointer> longValueRows(PageWorkspace& pages, std::span<const uint8_t> field);

// Removes the rows, which lie on data pages whose owner field is `owner` ("LVAL" for long
// values), and lists their pages in the free-space map `freeMap` (0: none). Rows already
// removed, or on pages of another owner, are left alone.
void releaseRows(PageWorkspace& pages, uint32_t owner, uint32_t freeMap, std::span<const RowPointer> rows);

}  // namespace jet
