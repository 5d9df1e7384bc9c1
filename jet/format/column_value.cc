#include "jet/format/column_value.h"

#include "jet/format/text_decoding.h"

namespace jet {
namespace {

void needSize(const ColumnDef& column, const ByteView& bytes, size_t size) {
  if (bytes.size() < size) {
    throwCorrupt(bytes.page(), "holds a value of column " + std::to_string(column.number) +
                                   " shorter than its type (" + std::to_string(bytes.size()) + " bytes)");
  }
}

}  // namespace

void decodeColumnValue(const ColumnDef& column, const ByteView& b, Value& out) {
  ValueStorage& s = out.storage();
  size_t need = fixedSizeOf(column.type);
  // Some later-era system tables keep numbers in variable columns; an empty one is Null.
  if (need > 0 && b.size() == 0 && !column.isFixed()) {
    s = Null{};
    return;
  }
  needSize(column, b, need);
  switch (column.type) {
    case ColumnType::Boolean: s = b.size() > 0 && b.u8(0) != 0; return;
    case ColumnType::Byte: s = b.u8(0); return;
    case ColumnType::Integer: s = b.i16(0); return;
    case ColumnType::Long: s = b.i32(0); return;
    case ColumnType::Currency: s = Currency{static_cast<int64_t>(b.u64(0))}; return;
    case ColumnType::Single: s = b.f32(0); return;
    case ColumnType::Double: s = b.f64(0); return;
    case ColumnType::DateTime: s = DateTime{b.f64(0)}; return;
    case ColumnType::Guid: {
      Guid g;
      for (size_t i = 0; i < 16; ++i) g.bytes[i] = b.u8(i);
      s = g;
      return;
    }
    case ColumnType::Numeric: {
      if (b.u32(1) != 0) throwCorrupt(b.page(), "holds a Decimal value beyond 96 bits");
      Decimal d;
      d.negative = (b.u8(0) & 0x80) != 0;
      d.scale = column.scale();
      d.mantissa = {b.u32(13), b.u32(9), b.u32(5)};
      s = d;
      return;
    }
    case ColumnType::Text:
    case ColumnType::Memo: {
      auto* text = std::get_if<std::u16string>(&s);
      if (!text) {
        s = std::u16string();
        text = std::get_if<std::u16string>(&s);
      }
      decodeStoredText(b.bytes(), column.codePage, *text);
      return;
    }
    default: {
      auto bytes = b.bytes();
      if (auto* raw = std::get_if<Bytes>(&s)) {
        raw->assign(bytes.begin(), bytes.end());
      } else {
        s = Bytes(bytes.begin(), bytes.end());
      }
      return;
    }
  }
}

}  // namespace jet
