// Independent readers of .mdb files, run as test oracles: the mdbtools command-line tools
// and the npm package mdb-reader (through tests/oracle/dump.js). Each call runs the tool,
// parses what it prints and throws OracleError, carrying the tool's stderr, when the tool
// fails or prints something that does not parse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace testsupport {

class OracleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- running a tool -------------------------------------------------------------------

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs argv[0] with the other arguments (no shell interpretation of them) and returns its
// exit code and everything it printed.
ToolResult runTool(const std::vector<std::string>& argv);
// As runTool, but throws OracleError naming the command and quoting its stderr when the
// exit code is not 0.
std::string runToolChecked(const std::vector<std::string>& argv);

// ---- a small JSON value and parser ----------------------------------------------------

class Json {
 public:
  using Array = std::vector<Json>;
  using Object = std::vector<std::pair<std::string, Json>>;  // keeps the written order

  Json() = default;  // null
  explicit Json(bool b) : v_(b) {}
  explicit Json(double d) : v_(d) {}
  explicit Json(std::string s) : v_(std::move(s)) {}
  explicit Json(Array a) : v_(std::move(a)) {}
  explicit Json(Object o) : v_(std::move(o)) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
  bool isBool() const { return std::holds_alternative<bool>(v_); }
  bool isNumber() const { return std::holds_alternative<double>(v_); }
  bool isString() const { return std::holds_alternative<std::string>(v_); }
  bool isArray() const { return std::holds_alternative<Array>(v_); }
  bool isObject() const { return std::holds_alternative<Object>(v_); }

  // The accessors throw OracleError on a value of another kind.
  bool asBool() const;
  double asNumber() const;
  const std::string& asString() const;
  const Array& asArray() const;
  const Object& asObject() const;
  // Member of an object; throws when absent. find() returns nullptr instead.
  const Json& operator[](std::string_view key) const;
  const Json* find(std::string_view key) const;

  // UTF-8 text; throws OracleError with the byte offset on malformed input.
  static Json parse(std::string_view text);

 private:
  std::variant<std::monostate, bool, double, std::string, Array, Object> v_;
};

// ---- mdbtools -------------------------------------------------------------------------

// A table as mdb-export prints it. A cell is std::nullopt for NULL (an empty unquoted
// field); text, dates and every other value keep the text mdb-export printed. Beware:
// mdb-export prints a zero-length value (the empty text, an empty memo) like NULL, so
// only mdb-reader and our reader tell the two apart.
struct CsvTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::optional<std::string>>> rows;
  // Index of a header name; throws OracleError when absent.
  size_t column(std::string_view name) const;
};
// RFC 4180 CSV as mdb-export writes it: quotes around text, "" inside quotes, newlines
// inside quoted fields, a field left empty and unquoted means NULL.
CsvTable parseCsv(std::string_view text);

// mdb-export with dates and times as "%Y-%m-%d %H:%M:%S" and binary as upper-case hex,
// the form of the corpus dumps.
CsvTable mdbExport(const std::filesystem::path& file, const std::string& table);
// mdb-tables, one name a line; system tables too when asked.
std::vector<std::string> mdbTables(const std::filesystem::path& file, bool withSystem = false);
// mdb-ver: "JET3", "JET4", ...
std::string mdbVer(const std::filesystem::path& file);
// mdb-count: the row count stored in the table definition.
int64_t mdbCount(const std::filesystem::path& file, const std::string& table);

// mdb-schema in its "access" dialect, raw and parsed.
std::string mdbSchemaText(const std::filesystem::path& file);
struct SchemaColumn {
  std::string name;
  std::string type;  // as printed: "Long Integer", "Text (50)", "Memo/Hyperlink (255)", ...
  bool notNull = false;
};
struct SchemaTable {
  std::string name;
  std::vector<SchemaColumn> columns;
};
std::vector<SchemaTable> parseSchema(std::string_view text);
std::vector<SchemaTable> mdbSchema(const std::filesystem::path& file);

// ---- mdb-reader -----------------------------------------------------------------------

struct ReaderColumn {
  std::string name;
  std::string type;  // mdb-reader's names: "long", "text", "memo", "datetime", "boolean", ...
  int size = 0;      // bytes; Text(n) shows 2n
  bool nullable = true;
  bool autoLong = false;
};
// Cells: null, bool, number, or text (dates "YYYY-MM-DDTHH:MM:SS[.mmm]", binary as
// upper-case hex, currency and decimal as decimal text).
struct ReaderTable {
  std::string name;
  std::string error;  // set when the reader could not read this table
  int64_t rowCount = 0;
  std::vector<ReaderColumn> columns;
  std::vector<std::vector<Json>> rows;
  size_t column(std::string_view name) const;
};
struct ReaderDump {
  std::optional<std::string> password;
  std::optional<std::string> creationDate;
  std::vector<ReaderTable> tables;
  // Throws OracleError when there is no such table.
  const ReaderTable& table(std::string_view name) const;
};
struct ReaderOptions {
  std::optional<std::string> password;
  bool withSystem = false;
  bool withRows = true;
  std::vector<std::string> tables;  // empty: every user table
};
ReaderDump mdbReaderDump(const std::filesystem::path& file, const ReaderOptions& options = {});
ReaderDump parseReaderDump(std::string_view json);

}  // namespace testsupport
