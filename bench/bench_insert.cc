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

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "bench/cert_table.h"
#include "bench/peak_memory.h"

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
    bench::createCertFile(out);
    auto db = jet::Database::open(out, u"", true);
    jet::DatabaseWriter w(db, batched ? jet::DatabaseWriter::Durability::kBatched
                                      : jet::DatabaseWriter::Durability::kEachRow);

    const auto start = std::chrono::steady_clock::now();
    std::vector<jet::Value> v;
    for (long i = 0; i < rows; ++i) {
      bench::certRow(i, v);
      w.insertRow(certfile::kCertTable, v);
    }
    w.flush();
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("rows %ld  mode %s  seconds %.2f  rows/s %.0f  file %.1f MiB  peak RSS %.1f MiB\n", rows,
                batched ? "batched" : "each-row", secs, rows / secs,
                std::filesystem::file_size(out) / 1048576.0, bench::peakRssKb() / 1024.0);
  } catch (const std::exception& e) {
    std::cerr << "bench-insert: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
