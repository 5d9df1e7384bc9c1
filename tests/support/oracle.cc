#include "tests/support/oracle.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "tests/support/file_bytes.h"
#include "tests/support/paths.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "jet/util/unicode.h"
#else
#include <sys/wait.h>
#endif

namespace testsupport {

namespace {

// One argument for /bin/sh: single quotes, with embedded single quotes spliced in.
std::string shellQuote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::string commandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const auto& a : argv) {
    if (!line.empty()) line += ' ';
    line += shellQuote(a);
  }
  return line;
}

std::string tail(const std::string& s, size_t max = 2000) {
  return s.size() <= max ? s : "..." + s.substr(s.size() - max);
}

}  // namespace

#if defined(_WIN32)
namespace {

// One argument as the C runtime's command-line parser splits it back out.
std::wstring windowsQuote(const std::string& utf8) {
  const std::u16string arg = jet::fromUtf8(utf8);
  std::wstring q = L"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    if (c == u'"') backslashes = backslashes * 2 + 1;  // escape them and the quote
    q.append(backslashes, L'\\');
    backslashes = 0;
    q += static_cast<wchar_t>(c);
  }
  q.append(backslashes * 2, L'\\');  // before the closing quote
  return q + L"\"";
}

HANDLE inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw OracleError("runTool: cannot open " + jet::pathText(path));
  return h;
}

}  // namespace

// No shell: the child gets its arguments quoted for its runtime's parser, the NUL device as
// its input and two files as its output.
ToolResult runTool(const std::vector<std::string>& argv) {
  if (argv.empty()) throw OracleError("runTool: no command");
  TempDir dir;
  const auto out = dir / "stdout";
  const auto err = dir / "stderr";
  std::wstring line;
  for (const auto& a : argv) line += (line.empty() ? L"" : L" ") + windowsQuote(a);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  si.hStdOutput = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
  si.hStdError = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &si, &pi);
  CloseHandle(si.hStdInput);
  CloseHandle(si.hStdOutput);
  CloseHandle(si.hStdError);
  ToolResult r;
  if (started) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    r.exitCode = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    r.exitCode = 127;  // as a shell reports a command it cannot start
  }
  r.out = fileBytes(out);
  r.err = fileBytes(err);
  return r;
}
#else
ToolResult runTool(const std::vector<std::string>& argv) {
  if (argv.empty()) throw OracleError("runTool: no command");
  TempDir dir;
  const auto out = dir / "stdout";
  const auto err = dir / "stderr";
  const std::string line = commandLine(argv) + " </dev/null >" + shellQuote(out.string()) +
                           " 2>" + shellQuote(err.string());
  const int status = std::system(line.c_str());
  ToolResult r;
  if (status == -1)
    r.exitCode = -1;
  else if (WIFEXITED(status))
    r.exitCode = WEXITSTATUS(status);
  else
    r.exitCode = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  r.out = fileBytes(out);
  r.err = fileBytes(err);
  return r;
}
#endif

std::string runToolChecked(const std::vector<std::string>& argv) {
  ToolResult r = runTool(argv);
  if (r.exitCode != 0) {
    throw OracleError(commandLine(argv) + " failed with exit code " + std::to_string(r.exitCode) +
                      (r.err.empty() ? std::string(" (no stderr)") : ": " + tail(r.err)));
  }
  return std::move(r.out);
}

// ---- Json -----------------------------------------------------------------------------

namespace {

[[noreturn]] void kindError(const char* wanted) {
  throw OracleError(std::string("JSON value is not ") + wanted);
}

class JsonParser {
 public:
  explicit JsonParser(std::string_view t) : t_(t) {}

  Json document() {
    Json v = value();
    skipSpace();
    if (i_ != t_.size()) fail("text after the JSON value");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw OracleError("malformed JSON at byte " + std::to_string(i_) + ": " + what);
  }
  void skipSpace() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
      ++i_;
  }
  char peek() {
    skipSpace();
    if (i_ >= t_.size()) fail("unexpected end");
    return t_[i_];
  }
  void expect(char c) {
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++i_;
  }
  bool literal(std::string_view word) {
    if (t_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  Json value() {
    // Nesting is bounded so hostile input cannot exhaust the stack.
    if (++depth_ > 200) fail("nested too deeply");
    Json v;
    switch (peek()) {
      case '{': v = object(); break;
      case '[': v = array(); break;
      case '"': v = Json(string()); break;
      case 't':
        if (!literal("true")) fail("bad literal");
        v = Json(true);
        break;
      case 'f':
        if (!literal("false")) fail("bad literal");
        v = Json(false);
        break;
      case 'n':
        if (!literal("null")) fail("bad literal");
        break;
      default: v = number(); break;
    }
    --depth_;
    return v;
  }

  Json object() {
    expect('{');
    Json::Object members;
    if (peek() == '}') {
      ++i_;
      return Json(std::move(members));
    }
    for (;;) {
      if (peek() != '"') fail("expected a member name");
      std::string key = string();
      expect(':');
      members.emplace_back(std::move(key), value());
      if (peek() == ',') {
        ++i_;
        continue;
      }
      expect('}');
      return Json(std::move(members));
    }
  }

  Json array() {
    expect('[');
    Json::Array items;
    if (peek() == ']') {
      ++i_;
      return Json(std::move(items));
    }
    for (;;) {
      items.push_back(value());
      if (peek() == ',') {
        ++i_;
        continue;
      }
      expect(']');
      return Json(std::move(items));
    }
  }

  Json number() {
    const size_t start = i_;
    if (i_ < t_.size() && t_[i_] == '-') ++i_;
    while (i_ < t_.size() &&
           (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '.' || t_[i_] == 'e' ||
            t_[i_] == 'E' || t_[i_] == '+' || t_[i_] == '-'))
      ++i_;
    if (i_ == start) fail("unexpected character");
    const std::string text(t_.substr(start, i_ - start));
    char* end = nullptr;
    const double d = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) fail("bad number " + text);
    return Json(d);
  }

  unsigned hex4() {
    if (i_ + 4 > t_.size()) fail("short \\u escape");
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = t_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= c - '0';
      else if (c >= 'a' && c <= 'f')
        v |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        v |= c - 'A' + 10;
      else
        fail("bad \\u escape");
    }
    return v;
  }

  static void appendUtf8(std::string& s, uint32_t cp) {
    if (cp < 0x80) {
      s += static_cast<char>(cp);
    } else if (cp < 0x800) {
      s += static_cast<char>(0xC0 | (cp >> 6));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      s += static_cast<char>(0xE0 | (cp >> 12));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (cp >> 18));
      s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string string() {
    expect('"');
    std::string s;
    for (;;) {
      if (i_ >= t_.size()) fail("unterminated string");
      const char c = t_[i_++];
      if (c == '"') return s;
      if (static_cast<unsigned char>(c) < 0x20) fail("control character in string");
      if (c != '\\') {
        s += c;
        continue;
      }
      if (i_ >= t_.size()) fail("unterminated escape");
      const char e = t_[i_++];
      switch (e) {
        case '"': s += '"'; break;
        case '\\': s += '\\'; break;
        case '/': s += '/'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'u': {
          uint32_t cp = hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && t_.substr(i_, 2) == "\\u") {
            const size_t save = i_;
            i_ += 2;
            const uint32_t low = hex4();
            if (low >= 0xDC00 && low < 0xE000)
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            else
              i_ = save;  // a lone high surrogate; the next escape stands alone
          }
          if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;  // lone surrogate
          appendUtf8(s, cp);
          break;
        }
        default: fail("bad escape");
      }
    }
  }

  std::string_view t_;
  size_t i_ = 0;
  int depth_ = 0;
};

}  // namespace

bool Json::asBool() const {
  if (!isBool()) kindError("a boolean");
  return std::get<bool>(v_);
}
double Json::asNumber() const {
  if (!isNumber()) kindError("a number");
  return std::get<double>(v_);
}
const std::string& Json::asString() const {
  if (!isString()) kindError("a string");
  return std::get<std::string>(v_);
}
const Json::Array& Json::asArray() const {
  if (!isArray()) kindError("an array");
  return std::get<Array>(v_);
}
const Json::Object& Json::asObject() const {
  if (!isObject()) kindError("an object");
  return std::get<Object>(v_);
}
const Json* Json::find(std::string_view key) const {
  for (const auto& [k, v] : asObject())
    if (k == key) return &v;
  return nullptr;
}
const Json& Json::operator[](std::string_view key) const {
  const Json* v = find(key);
  if (!v) throw OracleError("JSON object has no member \"" + std::string(key) + "\"");
  return *v;
}
Json Json::parse(std::string_view text) { return JsonParser(text).document(); }

// ---- mdbtools -------------------------------------------------------------------------

size_t CsvTable::column(std::string_view name) const {
  for (size_t i = 0; i < header.size(); ++i)
    if (header[i] == name) return i;
  throw OracleError("mdb-export output has no column \"" + std::string(name) + "\"");
}

CsvTable parseCsv(std::string_view text) {
  std::vector<std::vector<std::optional<std::string>>> records;
  std::vector<std::optional<std::string>> record;
  size_t i = 0;
  const size_t n = text.size();
  if (n == 0) throw OracleError("empty CSV: no header line");
  for (;;) {
    // One field.
    std::optional<std::string> field;
    if (i < n && text[i] == '"') {
      ++i;
      std::string s;
      for (;;) {
        if (i >= n) throw OracleError("CSV: unterminated quoted field");
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            s += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += text[i++];
      }
      field = std::move(s);
      if (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
        throw OracleError("CSV: text after a closing quote at byte " + std::to_string(i));
    } else {
      const size_t start = i;
      while (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r') ++i;
      if (i > start) field = std::string(text.substr(start, i - start));
    }
    record.push_back(std::move(field));
    if (i < n && text[i] == ',') {
      ++i;
      continue;
    }
    // End of a record.
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
    records.push_back(std::move(record));
    record.clear();
    if (i >= n) break;
  }
  CsvTable t;
  for (auto& h : records.front()) {
    if (!h) throw OracleError("CSV: empty column name in the header");
    t.header.push_back(std::move(*h));
  }
  for (size_t r = 1; r < records.size(); ++r) {
    if (records[r].size() != t.header.size())
      throw OracleError("CSV: record " + std::to_string(r) + " has " +
                        std::to_string(records[r].size()) + " fields, the header " +
                        std::to_string(t.header.size()));
    t.rows.push_back(std::move(records[r]));
  }
  return t;
}

CsvTable mdbExport(const std::filesystem::path& file, const std::string& table) {
  return parseCsv(runToolChecked({"mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T",
                                  "%Y-%m-%d %H:%M:%S", "-b", "hex", file.string(), table}));
}

std::vector<std::string> mdbTables(const std::filesystem::path& file, bool withSystem) {
  std::vector<std::string> args{"mdb-tables", "-1"};
  if (withSystem) args.push_back("-S");
  args.push_back(file.string());
  const std::string out = runToolChecked(args);
  std::vector<std::string> names;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) names.push_back(line);
  }
  return names;
}

std::string mdbVer(const std::filesystem::path& file) {
  std::string out = runToolChecked({"mdb-ver", file.string()});
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}

int64_t mdbCount(const std::filesystem::path& file, const std::string& table) {
  const std::string out = runToolChecked({"mdb-count", file.string(), table});
  char* end = nullptr;
  const long long n = std::strtoll(out.c_str(), &end, 10);
  if (end == out.c_str()) throw OracleError("mdb-count printed no number: " + tail(out));
  return n;
}

std::string mdbSchemaText(const std::filesystem::path& file) {
  return runToolChecked({"mdb-schema", file.string(), "access"});
}

std::vector<SchemaTable> parseSchema(std::string_view text) {
  // The access dialect prints, per table:
  //   CREATE TABLE [Name]\n (\n\t[Col]\t\t\tType (n) NOT NULL, \n ... \n);
  std::vector<SchemaTable> tables;
  std::istringstream lines{std::string(text)};
  SchemaTable* current = nullptr;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("CREATE TABLE [", 0) == 0) {
      const size_t close = line.rfind(']');
      if (close == std::string::npos || close < 14)
        throw OracleError("mdb-schema: bad table line: " + line);
      tables.push_back({line.substr(14, close - 14), {}});
      current = &tables.back();
      continue;
    }
    if (line.rfind(");", 0) == 0) {
      current = nullptr;
      continue;
    }
    if (!current || line.empty() || line[0] != '\t') continue;
    const size_t open = line.find('[');
    const size_t close = line.find(']', open);
    if (open == std::string::npos || close == std::string::npos)
      throw OracleError("mdb-schema: bad column line: " + line);
    SchemaColumn c;
    c.name = line.substr(open + 1, close - open - 1);
    std::string type = line.substr(close + 1);
    const size_t first = type.find_first_not_of(" \t");
    type = first == std::string::npos ? std::string() : type.substr(first);
    while (!type.empty() && (type.back() == ' ' || type.back() == ',')) type.pop_back();
    const std::string notNull = " NOT NULL";
    if (type.size() > notNull.size() &&
        type.compare(type.size() - notNull.size(), notNull.size(), notNull) == 0) {
      c.notNull = true;
      type.resize(type.size() - notNull.size());
    }
    c.type = std::move(type);
    current->columns.push_back(std::move(c));
  }
  return tables;
}

std::vector<SchemaTable> mdbSchema(const std::filesystem::path& file) {
  return parseSchema(mdbSchemaText(file));
}

// ---- mdb-reader -----------------------------------------------------------------------

size_t ReaderTable::column(std::string_view wanted) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == wanted) return i;
  throw OracleError("mdb-reader table " + name + " has no column \"" + std::string(wanted) + "\"");
}

const ReaderTable& ReaderDump::table(std::string_view name) const {
  for (const auto& t : tables)
    if (t.name == name) return t;
  throw OracleError("mdb-reader found no table \"" + std::string(name) + "\"");
}

ReaderDump parseReaderDump(std::string_view json) {
  const Json doc = Json::parse(json);
  ReaderDump d;
  if (!doc["password"].isNull()) d.password = doc["password"].asString();
  if (!doc["creationDate"].isNull()) d.creationDate = doc["creationDate"].asString();
  for (const Json& jt : doc["tables"].asArray()) {
    ReaderTable t;
    t.name = jt["name"].asString();
    if (const Json* e = jt.find("error")) t.error = e->asString();
    if (const Json* rc = jt.find("rowCount")) t.rowCount = static_cast<int64_t>(rc->asNumber());
    if (const Json* cols = jt.find("columns")) {
      for (const Json& jc : cols->asArray()) {
        ReaderColumn c;
        c.name = jc["name"].asString();
        c.type = jc["type"].asString();
        c.size = static_cast<int>(jc["size"].asNumber());
        c.nullable = jc["nullable"].asBool();
        c.autoLong = jc["autoLong"].asBool();
        t.columns.push_back(std::move(c));
      }
    }
    if (const Json* rows = jt.find("rows")) {
      for (const Json& jr : rows->asArray()) {
        const auto& cells = jr.asArray();
        if (cells.size() != t.columns.size())
          throw OracleError("mdb-reader row of " + t.name + " has " + std::to_string(cells.size()) +
                            " cells for " + std::to_string(t.columns.size()) + " columns");
        t.rows.push_back(cells);
      }
    }
    d.tables.push_back(std::move(t));
  }
  return d;
}

ReaderDump mdbReaderDump(const std::filesystem::path& file, const ReaderOptions& options) {
  const auto script = sourceDir() / "tests" / "oracle" / "dump.js";
  if (!std::filesystem::exists(sourceDir() / "tests" / "oracle" / "node_modules" / "mdb-reader"))
    throw OracleError("mdb-reader is not installed in tests/oracle/node_modules: run scripts/setup");
  std::vector<std::string> args{"node", script.string(), file.string()};
  if (options.password) {
    args.push_back("--password");
    args.push_back(*options.password);
  }
  if (options.withSystem) args.push_back("--system");
  if (!options.withRows) args.push_back("--no-rows");
  for (const auto& t : options.tables) {
    args.push_back("--table");
    args.push_back(t);
  }
  return parseReaderDump(runToolChecked(args));
}

}  // namespace testsupport
