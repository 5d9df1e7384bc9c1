// Turning a column's stored bytes into a jet::Value, for every type but the long values.
//   Byte unsigned; Integer, Long, Currency (x 10^4) signed little-endian; Single, Double,
//   Date/Time IEEE little-endian (dates in days since 1899-12-30); GUID 16 bytes as stored;
//   Text UCS-2LE or compressed (text_decoding.h), Jet 3 text in its column's code page;
//   Binary and types the engine does not know: the bytes; Decimal 17 bytes: sign byte (0x80
//   negative), then four 32-bit little-endian words, most significant first, scale from the
//   column definition.
//
// Layout: docs/file-format.md#column-values
#pragma once

#include "jet/util/byte_view.h"
#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet {

// Decodes into `out`, reusing its storage where it can.
void decodeColumnValue(const ColumnDef& column, const ByteView& bytes, Value& out);

}  // namespace jet
