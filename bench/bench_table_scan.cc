// Speed of the reader on a large table, against mdb-export reading the same table.
//
//   bench-table-scan [ROWS]                    builds a ROWS-row table (default 1 000 000)
//   bench-table-scan FILE TABLE [PASSWORD]     an existing file
//
// Prints: seconds for a scan decoding every column, a scan decoding two columns, and
// mdb-export of the table to /dev/null (when mdb-export is installed).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "jet/read/database.h"
#include "jet/write/database_create.h"
#include "jet/write/database_writer.h"
#include "jet/util/unicode.h"

namespace fs = std::filesystem;

namespace {

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A table shaped like a records database's course table.
void build(const fs::path& path, long rows) {
  jet::createDatabase(path);
  auto db = jet::Database::open(path, u"", true);
  jet::DatabaseWriter w(db, jet::DatabaseWriter::Durability::kBatched);
  w.createTable({u"Courses",
                 {{.name = u"ID", .type = jet::ColumnType::Long, .autoIncrement = true},
                  {.name = u"AgentID", .type = jet::ColumnType::Long},
                  {.name = u"Course", .type = jet::ColumnType::Text, .textLength = 100},
                  {.name = u"CourseDate", .type = jet::ColumnType::DateTime},
                  {.name = u"Location", .type = jet::ColumnType::Text, .textLength = 50},
                  {.name = u"Expiration", .type = jet::ColumnType::DateTime},
                  {.name = u"PassFail", .type = jet::ColumnType::Boolean},
                  {.name = u"Score", .type = jet::ColumnType::Double}}});
  const char16_t* courses[] = {u"Firearms Qualification", u"First Aid and CPR", u"Defensive Tactics",
                               u"Report Writing", u"Ethics & Professional Conduct"};
  const char16_t* places[] = {u"Head Office", u"Online", u"Range 3", u"Client Site"};
  for (long i = 0; i < rows; ++i) {
    w.insertRow(u"Courses", {jet::Value(), jet::Value(int32_t(i % 200000)),
                             jet::Value(std::u16string(courses[i % 5])),
                             jet::Value(jet::DateTime{40000.0 + i % 5000}),
                             jet::Value(std::u16string(places[i % 4])),
                             jet::Value(jet::DateTime{41000.0 + i % 5000}), jet::Value(i % 7 != 0),
                             jet::Value(50.0 + i % 50)});
  }
  w.flush();
}

void scan(const fs::path& path, const std::u16string& table, const std::u16string& password) {
  auto db = jet::Database::open(path, password);
  auto def = db.tableDef(table);
  std::vector<size_t> all(def->columns.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;

  auto start = std::chrono::steady_clock::now();
  size_t rows = 0;
  auto s = db.scan(def, all);
  while (s.next()) ++rows;
  std::printf("scan, all %zu columns:  %zu rows in %.3f s\n", all.size(), rows, since(start));

  std::vector<size_t> two = {0, all.size() > 1 ? size_t{1} : size_t{0}};
  start = std::chrono::steady_clock::now();
  rows = 0;
  auto s2 = db.scan(def, two);
  while (s2.next()) ++rows;
  std::printf("scan, 2 columns:        %zu rows in %.3f s\n", rows, since(start));
}

void mdbExport(const fs::path& path, const std::u16string& table) {
  if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) return;
  std::string cmd = "mdb-export '" + path.string() + "' '" + jet::toUtf8(table) + "' > /dev/null";
  auto start = std::chrono::steady_clock::now();
  int rc = std::system(cmd.c_str());
  std::printf("mdb-export:             %.3f s (exit %d)\n", since(start), rc);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 3) {
      std::u16string table = jet::fromUtf8(argv[2]);
      scan(argv[1], table, argc > 3 ? jet::fromUtf8(argv[3]) : std::u16string());
      mdbExport(argv[1], table);
      return 0;
    }
    long rows = argc == 2 ? std::atol(argv[1]) : 1000000;
    fs::path path = fs::temp_directory_path() / ("bench-table-scan-" + std::to_string(rows) + ".mdb");
    if (!fs::exists(path)) {
      auto start = std::chrono::steady_clock::now();
      build(path.string() + ".tmp", rows);
      fs::rename(path.string() + ".tmp", path);
      std::printf("built %ld rows (%.0f MB) in %.1f s: %s\n", rows, fs::file_size(path) / 1e6, since(start),
                  path.c_str());
    }
    scan(path, u"Courses", u"");
    mdbExport(path, u"Courses");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench-table-scan: %s\n", e.what());
    return 1;
  }
  return 0;
}
