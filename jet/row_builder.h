// Encodes one table row (Jet 4.0 layout).
//
//   u16 column count (the table's max columns when written)
//   fixed area: every fixed column at its offset, full size even when Null
//   variable data, back to back in var-index order
//   u16 end-of-data offset, u16 offsets of var slots n-1 .. 0, u16 var slot count n
//   null mask: ceil(count/8) bytes, bit = column number, 1 = present; Yes/No values are the
//   bit itself
// The var part (EOD, offsets, count) is omitted when the table has no variable columns.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "jet/table_definition.h"
#include "jet/value.h"

namespace jet {

inline constexpr size_t kMaxRecordSize = 4060;
inline constexpr size_t kMaxInlineLongValue = 64;

// Stores long-value data that does not go inline; returns the 12-byte in-row header.
using LongValueStore = std::function<std::vector<uint8_t>(const ColumnDef&, std::span<const uint8_t>)>;

// `values` has one entry per layout.columns element (same order). Throws jet::Error for a
// value the column cannot take, text longer than the column, or a record that is too large.
std::vector<uint8_t> buildRow(const TableDef& layout, std::span<const Value> values,
                              const LongValueStore& storeLongValue);

// The stored bytes of a long value (Memo text or OLE bytes) before it is placed.
std::vector<uint8_t> longValueBytes(const ColumnDef& column, const Value& value);

}  // namespace jet
