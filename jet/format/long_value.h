// Long values (Memo and OLE Object). The row holds a 12-byte header:
//   0  4  low 30 bits: total length; top bits: 0x80000000 data inline after the header,
//         0x40000000 data in one LVAL row, 0 data in a chain of LVAL rows
//   4  4  row pointer to the (first) LVAL row; 0 for inline data
//   8  4  zero
//   12    inline data
// A chain row starts with the row pointer of the next piece (0 at the end), then data; the
// total length says where the last piece ends.
//
// Layout: docs/file-format.md#long-values
#pragma once

#include <cstdint>

#include "jet/format/data_page.h"
#include "jet/util/byte_view.h"
#include "jet/util/value.h"

namespace jet {

class Pager;

inline constexpr size_t kLongValueHeaderSize = 12;
inline constexpr uint32_t kLongValueInline = 0x80000000;
inline constexpr uint32_t kLongValueSingleRow = 0x40000000;
inline constexpr uint32_t kLongValueLengthMask = 0x3FFFFFFF;

// Page `number` as a page of long-value rows (owner "LVAL"); throws a corrupt-page error
// for any other page.
DataPage longValuePage(Pager& pager, uint32_t number);

// The bytes of a long value into `out` (cleared first). Throws a corrupt-page error for a
// length that the stored pieces do not hold or a chain that loops.
void readLongValue(Pager& pager, const ByteView& field, Bytes& out);

}  // namespace jet
