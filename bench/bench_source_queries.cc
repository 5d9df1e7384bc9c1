// Time and memory of the extraction run's two source queries on a Tarvo database:
//
//   bench-source-queries FILE.mdb [PASSWORD]
//
// Runs each query through the data layer as the run does (static record set, exact count,
// every field of every row read once) and prints, per query: rows, seconds to open,
// seconds to read every row, and the bytes the static result holds. Peak memory of the
// whole process: run it under /usr/bin/time -v (maximum resident set size).
#include <chrono>
#include <cstdio>
#include <string>

#include "data/ado.h"
#include "data/text.h"
#include "jet/read/database.h"
#include "jet/sql/executor.h"

namespace {

const char16_t kQualificationQuery[] =
    u"SELECT Control.Licensee, Qualifications.Course, Qualifications.QualDate, "
    u"Qualifications.Location, Qualifications.Expiration, Roster.Office, Roster.LName, "
    u"Roster.FName, Roster.Email, Roster.License FROM Control INNER JOIN (Qualifications INNER "
    u"JOIN Roster ON Qualifications.AgentID = Roster.ID) ON Control.License_Nbr = "
    u"Roster.License WHERE Qualifications.PassFail = True";

const char16_t kTrainingQuery[] =
    u"SELECT Control.Licensee, Training.CourseName, Training.CourseDate, Training.Location, "
    u"Training.Expiration, Roster.Office, Roster.LName, Roster.FName, Roster.Email, "
    u"Roster.License FROM Control INNER JOIN (Training INNER JOIN Roster ON Training.AgentID = "
    u"Roster.ID) ON Control.License_Nbr = Roster.License WHERE Training.PassFail = True";

double since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void run(const char* label, const std::u16string& path, const std::u16string& password,
         const char16_t* sql) {
  // The engine alone: how large the static result is.
  {
    auto db = jet::Database::open(std::filesystem::path(path), password);
    auto start = std::chrono::steady_clock::now();
    auto rows = jet::sql::query(db, sql);
    std::printf("%s engine: %zu rows in %.2f s, result holds %.1f MB\n", label, rows->rowCount(),
                since(start), rows->memoryBytes() / 1e6);
  }
  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.setConnectionString(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                         u";Jet OLEDB:Database Password=" + password + u";Mode=Read|Write");
  cn.open();
  data::Recordset rs;
  rs.setActiveConnection(cn);
  rs.setCursorType(data::adOpenStatic);
  rs.setSource(sql);
  auto start = std::chrono::steady_clock::now();
  rs.open();
  double opened = since(start);
  int count = rs.recordCount();
  start = std::chrono::steady_clock::now();
  size_t cells = 0;
  data::Fields fields = rs.fields();
  const int n = fields.count();
  while (!rs.eof()) {
    for (int i = 0; i < n; ++i) cells += fields.item(i).value().isNull() ? 0 : 1;
    rs.moveNext();
  }
  std::printf("%s record set: %d rows, open %.2f s, read %.2f s (%zu non-Null cells)\n", label,
              count, opened, since(start), cells);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.mdb [PASSWORD]\n", argv[0]);
    return 2;
  }
  std::u16string path = data::fromUtf8(argv[1]);
  std::u16string password = data::fromUtf8(argc > 2 ? argv[2] : "KRVNDQLT-58203");
  try {
    run("qualification", path, password, kQualificationQuery);
    run("training", path, password, kTrainingQuery);
  } catch (const jet::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.what());
    return 1;
  }
  return 0;
}
