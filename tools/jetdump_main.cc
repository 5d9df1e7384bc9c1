// jetdump: look inside a Jet 4.0 or Jet 3 (Access 97) database.
//   jetdump FILE [--password P] [--code-page N] [--system] [--no-links] [--schema] [--table NAME]
//           [--format csv|json]
//   jetdump --check FILE [--password P] [--code-page N]
// Without --table or --schema it lists the tables, then the linked tables with their targets;
// --schema prints the definitions (of one table with --table); --table prints the rows of one
// table (CSV by default). A linked table is read from its back end; --no-links leaves links
// out of the list and refuses to follow them. --check checks the whole file instead (every
// table, system ones included): one line per problem, or "ok".
// Exit status: 0 done (--check: the file is sound), 1 the engine reported an error (on
// stderr) or --check found a problem, 2 bad arguments. --code-page reads a Jet 3 file's text in
// code page N where its header names another.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/read/integrity_check.h"
#include "jet/util/unicode.h"
#include "platform/command_line.h"
#include "platform/program_entry.h"
#include "tools/dump_format.h"

namespace {

struct Options {
  std::string file;
  std::string password;
  uint16_t codePage = 0;
  bool system = false;
  bool links = true;
  bool schema = false;
  std::string table;
  std::string format = "csv";
  bool check = false;
};

constexpr const char* kUsage =
    "usage: jetdump FILE [--password P] [--code-page N] [--system] [--no-links] [--schema]\n"
    "               [--table NAME] [--format csv|json]\n"
    "       jetdump --check FILE [--password P] [--code-page N]\n"
    "  Lists the tables of a Jet 4.0 or Jet 3 database, then its linked tables; --schema prints\n"
    "  their definitions, --table the rows of one table (CSV by default); --check checks the\n"
    "  whole file and prints each problem, or \"ok\". --code-page reads a Jet 3 file's text in\n"
    "  Windows code page N instead of the one its header names. -h, --help shows this text,\n"
    "  --version the version; --option=value is the same as --option value.\n"
    "  Exit status: 0 done (--check: the file is sound), 1 the engine reported an error or\n"
    "  --check found a problem, 2 a wrong command line.\n";

// Where a link leads, as the catalog says: the back end's path and the table there. The
// Connect text is not shown: it may hold the back end's password.
std::string linkTarget(const jet::CatalogEntry& link) {
  if (link.isOdbcLink()) return "ODBC data source";
  return jet::toUtf8(link.database) + " : " + jet::toUtf8(link.foreignName.empty() ? link.name : link.foreignName);
}

std::string linkJson(const jet::CatalogEntry& link) {
  return "{\"odbc\":" + std::string(link.isOdbcLink() ? "true" : "false") +
         ",\"database\":" + tools::jsonString(jet::toUtf8(link.database)) +
         ",\"foreignName\":" + tools::jsonString(jet::toUtf8(link.foreignName)) + "}";
}

// The table a name stands for; links are followed unless the options leave them out.
jet::TableRef lookUp(jet::Database& db, const std::string& table, const Options& opt) {
  const std::u16string name = jet::fromUtf8(table);
  if (!opt.links && !db.findTable(name) && db.findLink(name)) {
    throw jet::Error(jet::errc::kTableNotFound, "The table '" + table + "' is a link, which --no-links leaves out.");
  }
  return db.table(name);
}

void printSchema(const jet::TableRef& ref, const std::string& format) {
  const auto& def = ref.def;
  std::string name = jet::toUtf8(ref.link ? ref.link->name : def->name);
  if (format == "json") {
    std::cout << "{\"table\":" << tools::jsonString(name);
    if (ref.link) std::cout << ",\"link\":" << linkJson(*ref.link);
    std::cout << ",\"tdefPage\":" << def->firstPage()
              << ",\"rowCount\":" << def->rowCount << ",\"columns\":[";
    for (size_t i = 0; i < def->columns.size(); ++i) {
      const auto& c = def->columns[i];
      std::cout << (i ? "," : "") << "{\"name\":" << tools::jsonString(jet::toUtf8(c.name))
                << ",\"type\":" << tools::jsonString(tools::typeName(c.type)) << ",\"number\":" << c.number
                << ",\"length\":" << c.length << ",\"fixed\":" << (c.isFixed() ? "true" : "false")
                << ",\"autoNumber\":" << (c.isAutoNumber() ? "true" : "false")
                << ",\"compressedUnicode\":" << (c.isCompressedUnicode() ? "true" : "false") << "}";
    }
    std::cout << "],\"indexes\":[";
    for (size_t i = 0; i < def->indexes.size(); ++i) {
      const auto& li = def->indexes[i];
      std::cout << (i ? "," : "") << "{\"name\":" << tools::jsonString(jet::toUtf8(li.name))
                << ",\"primaryKey\":" << (li.isPrimaryKey() ? "true" : "false") << ",\"columns\":[";
      if (li.realIndex < def->realIndexes.size()) {
        const auto& ri = def->realIndexes[li.realIndex];
        for (size_t k = 0; k < ri.columns.size(); ++k) std::cout << (k ? "," : "") << ri.columns[k].columnNumber;
      }
      std::cout << "]}";
    }
    std::cout << "]}\n";
    return;
  }
  std::cout << "TABLE " << name;
  if (ref.link) std::cout << " LINKED TO " << linkTarget(*ref.link) << " in " << jet::pathText(ref.database->path());
  std::cout << " (page " << def->firstPage() << ", " << def->rowCount << " rows stored)\n";
  for (const auto& c : def->columns) {
    std::cout << "  " << c.number << " " << jet::toUtf8(c.name) << " " << tools::typeName(c.type);
    if (c.type == jet::ColumnType::Text || c.type == jet::ColumnType::Binary) std::cout << "(" << c.length << ")";
    if (c.type == jet::ColumnType::Numeric) {
      std::cout << "(" << int{c.precision()} << "," << int{c.scale()} << ")";
    }
    if (c.isAutoNumber()) std::cout << " AUTONUMBER";
    if (c.isCompressedUnicode()) std::cout << " COMPRESSED";
    std::cout << (c.isFixed() ? " fixed" : " variable") << "\n";
  }
  for (const auto& li : def->indexes) {
    std::cout << "  INDEX " << jet::toUtf8(li.name) << (li.isPrimaryKey() ? " PRIMARY KEY" : "") << " (";
    if (li.realIndex < def->realIndexes.size()) {
      const auto& ri = def->realIndexes[li.realIndex];
      for (size_t k = 0; k < ri.columns.size(); ++k) {
        for (const auto& c : def->columns) {
          if (c.number == ri.columns[k].columnNumber) std::cout << (k ? ", " : "") << jet::toUtf8(c.name);
        }
        if (!ri.columns[k].ascending()) std::cout << " DESC";
      }
      if (ri.unique()) std::cout << ") UNIQUE\n";
      else std::cout << ")\n";
    } else {
      std::cout << ")\n";
    }
  }
}

void printRows(const jet::TableRef& ref, const std::string& format) {
  const auto& def = ref.def;
  std::vector<size_t> cols(def->columns.size());
  for (size_t i = 0; i < cols.size(); ++i) cols[i] = i;
  auto scan = ref.database->scan(def, cols);
  std::string line;
  if (format == "csv") {
    for (size_t i = 0; i < cols.size(); ++i) {
      line += (i ? "," : "") + tools::formatCsv(jet::Value(def->columns[i].name));
    }
    std::cout << line << "\n";
  }
  while (scan.next()) {
    line.clear();
    const auto& v = scan.values();
    if (format == "csv") {
      for (size_t i = 0; i < v.size(); ++i) {
        if (i) line += ",";
        line += tools::formatCsv(v[i]);
      }
    } else {
      line = "{";
      for (size_t i = 0; i < v.size(); ++i) {
        if (i) line += ",";
        line += tools::jsonString(jet::toUtf8(def->columns[i].name)) + ":" + tools::formatJson(v[i]);
      }
      line += "}";
    }
    line += "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

// Each problem as "table: page N ...", or "ok". 0 when sound, 1 otherwise.
int printCheck(jet::Database& db) {
  const auto problems = jet::checkIntegrity(db, jet::CheckDepth::kFull);
  for (const auto& p : problems) {
    std::string line = p.table.empty() ? std::string() : jet::toUtf8(p.table) + ": ";
    if (p.page != 0 && p.problem.rfind("page ", 0) != 0) line += "page " + std::to_string(p.page) + ": ";
    std::cout << line << p.problem << "\n";
  }
  if (problems.empty()) std::cout << "ok\n";
  return problems.empty() ? 0 : 1;
}

int jetdump(int argc, char** argv) {
  platform::useUtf8Console();
  platform::binaryStdout();  // CSV and JSON bytes as on every other platform
  std::ios::sync_with_stdio(false);
  platform::CommandLine line("jetdump", kUsage,
                            {"--password=", "--code-page=", "--system", "--no-links", "--schema", "--table=", "--format=", "--check"});
  if (const auto status = line.parse(argc, argv)) return *status;
  Options opt;
  for (const auto& [a, value] : line.arguments()) {
    if (a == "--password") opt.password = value;
    else if (a == "--code-page") {
      const unsigned long n = std::strtoul(value.c_str(), nullptr, 10);
      if (n == 0 || n > 65535) return line.usageError("--code-page is a Windows code page number");
      opt.codePage = static_cast<uint16_t>(n);
    }
    else if (a == "--system") opt.system = true;
    else if (a == "--no-links") opt.links = false;
    else if (a == "--schema") opt.schema = true;
    else if (a == "--table") opt.table = value;
    else if (a == "--format") opt.format = value;
    else if (a == "--check") opt.check = true;
    else if (opt.file.empty()) opt.file = value;
    else return line.usageError("more than one file given");
  }
  if (opt.file.empty()) return line.usageError("no file given");
  if (opt.format != "csv" && opt.format != "json") return line.usageError("--format is csv or json");

  try {
    auto db = jet::Database::open(jet::pathFromUtf8(opt.file), jet::fromUtf8(opt.password), false, opt.codePage);
    if (opt.check) {
      const int status = printCheck(db);
      std::cout.flush();
      return status;
    }
    if (opt.schema) {
      if (!opt.table.empty()) {
        printSchema(lookUp(db, opt.table, opt), opt.format);
      } else {
        for (const auto& e : db.tables(opt.system)) printSchema(db.table(e.name), opt.format);
        if (opt.links) {
          for (const auto& e : db.links()) printSchema(db.table(e.name), opt.format);
        }
      }
    } else if (!opt.table.empty()) {
      printRows(lookUp(db, opt.table, opt), opt.format);
    } else {
      for (const auto& e : db.tables(opt.system)) {
        if (opt.format == "json") {
          std::cout << "{\"table\":" << tools::jsonString(jet::toUtf8(e.name))
                    << ",\"system\":" << (e.isSystem() ? "true" : "false") << "}\n";
        } else {
          std::cout << jet::toUtf8(e.name) << "\n";
        }
      }
      for (const auto& e : opt.links ? db.links() : std::vector<jet::CatalogEntry>{}) {
        if (opt.format == "json") {
          std::cout << "{\"table\":" << tools::jsonString(jet::toUtf8(e.name)) << ",\"system\":false,\"link\":"
                    << linkJson(e) << "}\n";
        } else {
          std::cout << jet::toUtf8(e.name) << " (link to " << linkTarget(e) << ")\n";
        }
      }
    }
    std::cout.flush();
  } catch (const jet::Error& e) {
    std::cout.flush();
    std::cerr << "jetdump: error " << e.number() << ": " << e.description() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

TARVO_UTF8_MAIN(jetdump)
