// Deleting every row of a certificate-shaped table and writing the same rows again, round
// after round, as a rerun of the extraction does: the time of each delete and refill, the
// file size after each round (it should stay put) and the peak memory of the process.
//
//   build/bench-delete [ROWS=1000000] [--rounds N=2] [--out FILE]
//
// Rows go in through a batched writer, as the certificate run stores them; the delete is
// the plain DELETE of the run (no condition), through a writer of its own.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/cert_table.h"
#include "bench/peak_memory.h"
#include "jet/read/database.h"
#include "jet/write/database_writer.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void fill(const std::filesystem::path& file, long rows) {
  auto db = jet::Database::open(file, u"", true);
  jet::DatabaseWriter w(db, jet::DatabaseWriter::Durability::kBatched);
  std::vector<jet::Value> v;
  for (long i = 0; i < rows; ++i) {
    bench::certRow(i, v);
    w.insertRow(certfile::kCertTable, v);
  }
  w.flush();
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 1000000;
  int rounds = 2;
  std::filesystem::path out = std::filesystem::temp_directory_path() / "bench_delete.mdb";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--rounds" && i + 1 < argc) rounds = std::atoi(argv[++i]);
    else if (a == "--out" && i + 1 < argc) out = argv[++i];
    else rows = std::atol(a.c_str());
  }
  std::filesystem::remove(out);
  try {
    bench::createCertFile(out);
    auto start = std::chrono::steady_clock::now();
    fill(out, rows);
    std::printf("rows %ld  first fill %.2f s  file %.1f MiB  peak RSS %.1f MiB\n", rows, secondsSince(start),
                std::filesystem::file_size(out) / 1048576.0, bench::peakRssKb() / 1024.0);
    for (int r = 1; r <= rounds; ++r) {
      start = std::chrono::steady_clock::now();
      size_t deleted = 0;
      {
        auto db = jet::Database::open(out, u"", true);
        jet::DatabaseWriter w(db);
        deleted = w.deleteRows(certfile::kCertTable);
        w.flush();
      }
      const double deleteSecs = secondsSince(start);
      const long deletePeak = bench::peakRssKb();
      start = std::chrono::steady_clock::now();
      fill(out, rows);
      std::printf("round %d  deleted %zu in %.2f s (peak RSS %.1f MiB)  refilled in %.2f s  file %.1f MiB  peak RSS %.1f MiB\n",
                  r, deleted, deleteSecs, deletePeak / 1024.0, secondsSince(start),
                  std::filesystem::file_size(out) / 1048576.0, bench::peakRssKb() / 1024.0);
    }
  } catch (const std::exception& e) {
    std::cerr << "bench-delete: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
