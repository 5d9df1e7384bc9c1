// tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]: the extraction run without a window,
// for offices that script their monthly upload. Exit status 0 when the run showed no
// message, 1 when it showed any, 2 when the command line is wrong (see kUsage).
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "jet/util/unicode.h"
#include "platform/command_line.h"
#include "platform/program_entry.h"
#include "run/batch_window.h"
#include "run/program_directory.h"
#include "run/run_window.h"

namespace {

namespace fs = std::filesystem;

// The output directory as the results name it: the absolute path with links, "." and ".."
// resolved, as the program's own directory is, so "--out-dir ." reads as the directory
// itself rather than "DIR/.".
fs::path cleanDirectory(const fs::path& directory) {
  std::error_code ec;
  fs::path p = fs::canonical(directory, ec);
  if (ec) {
    p = fs::absolute(directory, ec).lexically_normal();
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();  // "DIR/" to "DIR"
  }
  return p;
}

constexpr const char* kUsage =
    "usage: tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]\n"
    "  Extracts the certificates of the Tarvo database SOURCE.mdb into the certificate file\n"
    "  LICENCE.mdb in DIR (by default the program's own directory), as the window's START\n"
    "  does. The window's messages go to standard error, its three result boxes to\n"
    "  standard output. -h, --help shows this text, --version the version;\n"
    "  --out-dir=DIR is the same as --out-dir DIR.\n"
    "  Exit status: 0 the run showed no message, 1 it showed one or more, 2 a wrong\n"
    "  command line.\n";

int runBatch(int argc, char** argv) {
  platform::oneHeapForAllThreads();
  platform::useUtf8Console();
  platform::CommandLine line("tarvo-extractor-batch", kUsage, {"--out-dir="});
  if (const auto status = line.parse(argc, argv)) return *status;
  std::optional<fs::path> source;
  std::optional<fs::path> outDir;
  for (const auto& [option, value] : line.arguments()) {
    if (option == "--out-dir") {
      if (outDir) return line.usageError("--out-dir is given twice");
      if (value.empty()) return line.usageError("--out-dir needs a directory");
      outDir = jet::pathFromUtf8(value);
    } else if (source) {
      return line.usageError("only one source database can be given");
    } else {
      source = jet::pathFromUtf8(value);
    }
  }
  if (!source) return line.usageError("no source database given");

  std::error_code ec;
  fs::path directory = outDir ? *outDir : run::programDirectory();
  if (!fs::is_directory(directory, ec)) {
    const bool there = fs::exists(directory, ec);
    return line.usageError("the output directory " + jet::pathText(directory) +
                           (there ? " is a file, not a directory" : " does not exist"));
  }
  directory = cleanDirectory(directory);
  // The dialog hands the run a full path.
  const fs::path sourcePath = fs::absolute(*source, ec);

  run::BatchWindow window(sourcePath, directory, std::cerr, platform::stderrTakesControlSequences());
  run::cmdRUN_Click(window);
  window.printResults(std::cout);
  return window.messagesShown() == 0 ? 0 : 1;
}

}  // namespace

TARVO_UTF8_MAIN(runBatch)
