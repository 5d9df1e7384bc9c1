// Inserts rows into a table shaped like the certificate table Tarvo_Certs and reports
// rows/s, file size and peak memory.
//
//   build/bench-insert [ROWS=1000000] [--batched] [--out FILE]
//
// The default writes every row through to the file (each row saved before the next is
// read); --batched measures the grouped writes the certificate run makes through the data
// layer.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#if defined(__unix__)
#include <sys/resource.h>
#endif

#include "jet/database.h"
#include "jet/database_create.h"
#include "jet/database_writer.h"

namespace {

long peakRssKb() {
#if defined(__unix__)
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
#else
  return -1;
#endif
}

std::u16string text(const char* prefix, long i) {
  std::string s = std::string(prefix) + std::to_string(i);
  return std::u16string(s.begin(), s.end());
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 1000000;
  bool batched = false;
  std::filesystem::path out = std::filesystem::temp_directory_path() / "bench_insert.mdb";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--batched") batched = true;
    else if (a == "--out" && i + 1 < argc) out = argv[++i];
    else rows = std::atol(a.c_str());
  }
  std::filesystem::remove(out);
  try {
    jet::createDatabase(out);
    auto db = jet::Database::open(out, u"", true);
    jet::DatabaseWriter w(db, batched ? jet::DatabaseWriter::Durability::kBatched
                                      : jet::DatabaseWriter::Durability::kEachRow);
    jet::TableSpec wanted{u"Tarvo_Certs", {}};
    wanted.columns.push_back({u"RecID", jet::ColumnType::Long, 255, true, false, false, u"Autoincrement Record ID"});
    for (const char16_t* n : {u"LName", u"FName", u"Course"}) wanted.columns.push_back({n, jet::ColumnType::Text});
    wanted.columns.push_back({u"Date", jet::ColumnType::DateTime});
    wanted.columns.push_back({u"Location", jet::ColumnType::Text});
    wanted.columns.push_back({u"Email", jet::ColumnType::Text});
    wanted.columns.push_back({u"Expiration", jet::ColumnType::DateTime});
    for (const char16_t* n : {u"LicenseNo", u"Office", u"Licensee", u"Type"}) wanted.columns.push_back({n, jet::ColumnType::Text});
    w.createTable(wanted);

    const auto start = std::chrono::steady_clock::now();
    std::vector<jet::Value> v(12);
    for (long i = 0; i < rows; ++i) {
      v[0] = jet::Value();
      v[1] = text("Lastname", i % 5000);
      v[2] = text("First", i % 700);
      v[3] = text("Emergency Medical Responder Refresher ", i % 40);
      v[4] = jet::DateTime{40000.0 + i % 5000};
      v[5] = text("Station ", i % 90);
      v[6] = text("person.number", i % 200000) + u"@example.org";
      v[7] = i % 3 ? jet::Value(jet::DateTime{41000.0 + i % 5000}) : jet::Value();
      v[8] = std::u16string(u"L-918113");
      v[9] = i % 7 ? jet::Value(text("Office ", i % 12)) : jet::Value(std::u16string());
      v[10] = std::u16string(u"County Emergency Services Agency");
      v[11] = std::u16string(i % 2 ? u"Q" : u"T");
      w.insertRow(u"Tarvo_Certs", v);
    }
    w.flush();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("rows %ld  mode %s  seconds %.2f  rows/s %.0f  file %.1f MiB  peak RSS %.1f MiB\n", rows,
                batched ? "batched" : "each-row", secs, rows / secs,
                std::filesystem::file_size(out) / 1048576.0, peakRssKb() / 1024.0);
  } catch (const std::exception& e) {
    std::cerr << "bench-insert: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
