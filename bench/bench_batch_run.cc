// The whole extraction run without a window, timed: bench-batch-run SOURCE.mdb [OUT_DIR].
// Make the source with build/make-tarvo-db (for instance 1 000 000 qualification and
// 1 000 000 training rows); the certificate file goes to OUT_DIR (default: a fresh
// directory under the system's temporary directory). Prints the rows copied, the wall
// time, rows per second and the peak resident memory where the system reports it.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/program_entry.h"
#include "run/batch_window.h"
#include "run/run_window.h"

namespace {

namespace fs = std::filesystem;

// Peak resident set in KiB from /proc (Linux); -1 where there is none.
long peakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  platform::oneHeapForAllThreads();  // as the programs do
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: bench-batch-run SOURCE.mdb [OUT_DIR]\n";
    return 2;
  }
  const fs::path source = fs::absolute(argv[1]);
  const fs::path out = argc == 3 ? fs::path(argv[2])
                                 : fs::temp_directory_path() / ("bench-batch-run-" +
                                                                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(out);

  std::ostringstream messages;
  run::BatchWindow window(source, fs::absolute(out), messages, false);
  const auto start = std::chrono::steady_clock::now();
  run::cmdRUN_Click(window);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const double rows = window.progressValue();
  std::printf("rows copied     %.0f\n", rows);
  std::printf("wall time       %.2f s\n", seconds);
  std::printf("rows per second %.0f\n", seconds > 0 ? rows / seconds : 0.0);
  const long peak = peakKiB();
  if (peak >= 0) std::printf("peak memory     %.1f MiB\n", peak / 1024.0);
  std::printf("messages        %d\n", window.messagesShown());
  if (window.messagesShown() > 0) std::cerr << messages.str().substr(0, 2000);
  window.printResults(std::cout);
  return window.messagesShown() == 0 ? 0 : 1;
}
