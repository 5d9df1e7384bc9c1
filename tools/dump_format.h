// Text forms of engine values for jetdump (and the tests that compare its output): dates as
// "YYYY-MM-DD HH:MM:SS[.mmm]", Currency and Decimal as plain decimals, binary as upper-case hex,
// Yes/No as 1/0, text as UTF-8.
#pragma once

#include <string>

#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace tools {

std::string formatDateTime(double days);
std::string formatCurrency(int64_t scaled);
std::string formatDecimal(const jet::Decimal& d);
std::string formatDouble(double v);
std::string formatFloat(float v);
std::string formatHex(const jet::Bytes& bytes);
std::string formatGuid(const jet::Guid& g);
// The value as plain text (no quoting); Null gives the empty string.
std::string formatPlain(const jet::Value& v);
// A CSV field: Null empty, text double-quoted with "" for ", the rest bare.
std::string formatCsv(const jet::Value& v);
// A JSON value: null, true/false, numbers, strings (dates, decimals, currency, hex as strings).
std::string formatJson(const jet::Value& v);
std::string jsonString(const std::string& utf8);
std::string typeName(jet::ColumnType type);

}  // namespace tools
