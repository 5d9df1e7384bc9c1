// tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]: the extraction run without a window,
// for offices that script their monthly upload. Exit status 0 when the run showed no
// message, 1 when it showed any, 2 when the command line is wrong.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "jet/unicode.h"
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

int usage(const std::string& problem) {
  std::cerr << "tarvo-extractor-batch: " << problem << "\n"
            << "usage: tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]\n";
  return 2;
}

int runBatch(int argc, char** argv) {
  platform::oneHeapForAllThreads();
  platform::useUtf8Console();
  std::optional<fs::path> source;
  std::optional<fs::path> outDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out-dir") {
      if (i + 1 >= argc) return usage("--out-dir needs a directory");
      if (outDir) return usage("--out-dir is given twice");
      outDir = jet::pathFromUtf8(argv[++i]);
    } else if (arg == "-h" || arg == "--help") {
      std::cout << "usage: tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]\n";
      return 0;
    } else if (arg.size() > 1 && arg[0] == '-' && !source) {
      return usage("unknown option " + arg);
    } else if (source) {
      return usage("only one source database can be given");
    } else {
      source = jet::pathFromUtf8(arg);
    }
  }
  if (!source) return usage("no source database given");

  std::error_code ec;
  fs::path directory = outDir ? *outDir : run::programDirectory();
  if (!fs::is_directory(directory, ec)) {
    return usage("the output directory " + jet::pathText(directory) + " does not exist");
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
