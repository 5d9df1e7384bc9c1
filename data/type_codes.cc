#include "data/type_codes.h"

#include "data/types.h"

namespace data {

int adoTypeOf(jet::ColumnType type) {
  using jet::ColumnType;
  switch (type) {
    case ColumnType::Boolean: return adBoolean;
    case ColumnType::Byte: return adUnsignedTinyInt;
    case ColumnType::Integer: return adSmallInt;
    case ColumnType::Long: return adInteger;
    case ColumnType::Currency: return adCurrency;
    case ColumnType::Single: return adSingle;
    case ColumnType::Double: return adDouble;
    case ColumnType::DateTime: return adDate;
    case ColumnType::Binary: return adVarBinary;
    case ColumnType::Text: return adVarWChar;
    case ColumnType::OLE: return adLongVarBinary;
    case ColumnType::Memo: return adLongVarWChar;
    case ColumnType::Guid: return adGUID;
    case ColumnType::Numeric: return adNumeric;
    default: return adVarBinary;
  }
}

std::optional<jet::ColumnType> columnTypeOf(int adoType) {
  using jet::ColumnType;
  switch (adoType) {
    case adBoolean: return ColumnType::Boolean;
    case adUnsignedTinyInt: return ColumnType::Byte;
    case adSmallInt: return ColumnType::Integer;
    case adInteger: return ColumnType::Long;
    case adCurrency: return ColumnType::Currency;
    case adSingle: return ColumnType::Single;
    case adDouble: return ColumnType::Double;
    case adDate: return ColumnType::DateTime;
    case adVarBinary:
    case adBinary: return ColumnType::Binary;
    case adVarChar:
    case adVarWChar:
    case 129:  // adChar
    case 130:  // adWChar
      return ColumnType::Text;
    case adLongVarChar:
    case adLongVarWChar: return ColumnType::Memo;
    case adLongVarBinary: return ColumnType::OLE;
    case adGUID: return ColumnType::Guid;
    case adNumeric: return ColumnType::Numeric;
    default: return std::nullopt;
  }
}

}  // namespace data
