// build/tarvo-extractor-batch as a script would call it.
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "tests/run/run_fixture.h"
#include "tests/support/oracle.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;

std::string batch() { return (testsupport::buildDir() / "tarvo-extractor-batch").string(); }

// The results as lines ending in "\n": on Windows the program writes text with "\r\n".
testsupport::ToolResult runBatch(std::vector<std::string> args) {
  args.insert(args.begin(), batch());
  auto r = testsupport::runTool(args);
  std::erase(r.out, '\r');
  return r;
}

TEST(Batch, ACleanRunExitsZeroAndPrintsTheThreeBoxes) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(2, 3));
  const auto r = runBatch({f.source().string(), "--out-dir", f.program().string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");  // not a terminal: no progress line
  EXPECT_EQ(r.out, "File Located in: " + fs::canonical(f.program()).string() +
                       "\nFile Generated: L-1.mdb\nRecords Found: 5\n");
  EXPECT_EQ(runtest::readCertRows(f.cert(u"L-1")).size(), 5u);
}

TEST(Batch, EveryBoxIsALineOnStderrAndTheExitStatusIsOne) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(1, 1), u"another");
  const auto r = runBatch({f.source().string(), "--out-dir", f.program().string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("Error in cmdRUN: -2147217843-", 0), 0u) << r.err;
  EXPECT_NE(r.out.find("Records Found: 0\n"), std::string::npos);
}

// However the output directory is written on the command line, the results name the
// directory itself, with no "." or ".." steps and no trailing separator, and the file is
// made in it.
TEST(Batch, TheOutputDirectoryIsNamedAsTheDirectoryItself) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(1, 2));
  fs::create_directories(f.program() / "sub");
  const std::string expected = "File Located in: " + fs::canonical(f.program()).string() + "\n";
  auto check = [&](const std::string& outDir, bool joined = false) {
    SCOPED_TRACE(outDir);
    fs::remove(f.cert(u"L-1"));
    const auto r = joined ? runBatch({f.source().string(), "--out-dir=" + outDir})
                          : runBatch({f.source().string(), "--out-dir", outDir});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), expected);
    EXPECT_EQ(runtest::readCertRows(f.cert(u"L-1")).size(), 3u);
  };
  const std::string dir = f.program().string();
  for (const std::string& outDir : {dir + "/.", dir + "/", dir + "/sub/..", dir + "/./sub/../."}) check(outDir);
  check(dir + "/sub/..", true);

  // "." and "./" from inside the directory, as a script run there would pass them.
  struct InDirectory {
    explicit InDirectory(const fs::path& d) : before(fs::current_path()) { fs::current_path(d); }
    ~InDirectory() { fs::current_path(before); }
    fs::path before;
  } inside(f.program());
  check(".");
  check("./");
  check("sub/..");
}

TEST(Batch, ACommandLineItCannotUseIsRefusedBeforeAnyRun) {
  RunFixture f;
  const std::string aFile = (f.dir / "a.mdb").string();
  std::ofstream(aFile) << "x";
  for (const auto& [args, words] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{batch()}, "no source"},
           {{batch(), "a.mdb", "b.mdb"}, "only one"},
           {{batch(), "a.mdb", "--out-dir"}, "--out-dir needs"},
           {{batch(), "a.mdb", "--out-dir", (f.dir / "missing").string()}, "does not exist"},
           {{batch(), "a.mdb", "--out-dir=" + aFile}, "is a file"},
           {{batch(), "--bogus", "a.mdb"}, "unknown option --bogus"},
           {{batch(), "a.mdb", "--out-dir=x=y", "--bogus=1"}, "unknown option --bogus"},
           {{batch(), ""}, "empty"}}) {
    const auto r = testsupport::runTool(args);
    EXPECT_EQ(r.exitCode, 2) << words;
    EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: tarvo-extractor-batch SOURCE.mdb [--out-dir DIR]"), std::string::npos);
    EXPECT_EQ(r.out, "") << words;
  }
  EXPECT_FALSE(fs::exists(f.dir / "missing"));
}

// The conventions users type by habit, the same in every console program: the usage on
// standard output with exit status 0, and the name and version.
TEST(Batch, EveryConsoleProgramAnswersHelpAndVersion) {
#ifdef _WIN32
  const std::vector<std::string> helps{"-h", "--help", "/?"};
#else
  const std::vector<std::string> helps{"-h", "--help"};
#endif
  for (const std::string name : {"tarvo-extractor-batch", "jetdump", "make-tarvo-db"}) {
    const std::string program = (testsupport::buildDir() / name).string();
    for (const std::string& help : helps) {
      auto r = testsupport::runTool({program, help});
      EXPECT_EQ(r.exitCode, 0) << name << " " << help;
      EXPECT_EQ(r.out.rfind("usage: " + name + " ", 0), 0u) << name << " " << help << ": " << r.out;
      EXPECT_NE(r.out.find("Exit status: 0"), std::string::npos) << name;
    }
    auto r = testsupport::runTool({program, "--version"});
    std::erase(r.out, '\r');
    EXPECT_EQ(r.exitCode, 0) << name;
    EXPECT_EQ(r.out, name + " 3.1.0\n");
  }
}

}  // namespace
