// The numeric codes of ADO's enumerations that callers pass and read, under ADO's own names.
#pragma once

#include <cstdint>

namespace data {

// DataTypeEnum: column type codes.
inline constexpr int adSmallInt = 2;
inline constexpr int adInteger = 3;  // 32-bit signed
inline constexpr int adSingle = 4;
inline constexpr int adDouble = 5;
inline constexpr int adCurrency = 6;
inline constexpr int adDate = 7;
inline constexpr int adBoolean = 11;
inline constexpr int adUnsignedTinyInt = 17;
inline constexpr int adGUID = 72;
inline constexpr int adBinary = 128;
inline constexpr int adNumeric = 131;
inline constexpr int adVarChar = 200;
inline constexpr int adLongVarChar = 201;
inline constexpr int adVarWChar = 202;
inline constexpr int adLongVarWChar = 203;
inline constexpr int adVarBinary = 204;
inline constexpr int adLongVarBinary = 205;

// CursorLocationEnum.
inline constexpr int adUseServer = 2;
inline constexpr int adUseClient = 3;

// CursorTypeEnum.
inline constexpr int adOpenUnspecified = -1;
inline constexpr int adOpenForwardOnly = 0;
inline constexpr int adOpenKeyset = 1;
inline constexpr int adOpenDynamic = 2;
inline constexpr int adOpenStatic = 3;

// LockTypeEnum.
inline constexpr int adLockUnspecified = -1;
inline constexpr int adLockReadOnly = 1;
inline constexpr int adLockPessimistic = 2;
inline constexpr int adLockOptimistic = 3;
inline constexpr int adLockBatchOptimistic = 4;

// CommandTypeEnum (the options of Open and Execute).
inline constexpr int adCmdUnspecified = -1;
inline constexpr int adCmdText = 1;
inline constexpr int adCmdTable = 2;
inline constexpr int adCmdUnknown = 8;

// ConnectOptionEnum for Connection::open.
inline constexpr int adConnectUnspecified = -1;

// ObjectStateEnum.
inline constexpr int adStateClosed = 0;
inline constexpr int adStateOpen = 1;

// AffectEnum for Recordset::updateBatch.
inline constexpr int adAffectCurrent = 1;
inline constexpr int adAffectGroup = 2;
inline constexpr int adAffectAll = 3;

// ColumnAttributesEnum (ADOX).
inline constexpr int adColFixed = 1;
inline constexpr int adColNullable = 2;

}  // namespace data
