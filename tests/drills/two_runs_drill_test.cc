// Drills on two programs meeting on one file: two runs on one program directory, started
// together or the second while the first is held before each of its writes; another program
// writing the source; a disk that fills during a pass. Whichever run opens the certificate
// file first writes it; the other stops with one clear message. The file ends with exactly
// one run's rows, in order, and the sources stay byte for byte as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <set>

#include "jet/database.h"
#include "jet/unicode.h"
#include "tests/drills/drill_support.h"
#include "tests/support/write_trace.h"
#include "tools/tarvo_database.h"

namespace {

namespace fs = std::filesystem;
using namespace drills;

size_t messages(const ChildResult& r) { return static_cast<size_t>(std::count(r.err.begin(), r.err.end(), '\n')); }

class TwoRunsDrill : public ::testing::Test {
 protected:
  // Two sources of one licence: a large one whose passes each write their rows in several
  // groups, and a small one, so that rows of both in one file would show.
  static void SetUpTestSuite() {
    dir_ = new testsupport::TempDir;
    tools::TarvoOptions options;
    options.seed = 14;
    options.people = 1500;
    options.qualifications = options.trainings = 15000;
    tools::writeTarvoDatabase(tools::TarvoModel(options), big());
    options.people = 30;
    options.qualifications = 60;
    options.trainings = 80;
    tools::writeTarvoDatabase(tools::TarvoModel(options), small());
    for (const fs::path& source : {big(), small()}) {
      fs::create_directories(*dir_ / "alone");
      const ChildResult r = runBatch(source, *dir_ / "alone");
      ASSERT_EQ(r.exitCode, 0) << r.err;
      const fs::path cert = *dir_ / "alone" / (licence() + ".mdb");
      (source == big() ? bigRows_ : smallRows_) = readCertRows(cert);
      fs::rename(cert, *dir_ / (source.stem().string() + ".certs.mdb"));
    }
    sourceBytes_ = fileBytes(big()) + fileBytes(small());
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override { fs::create_directories(out_); }
  void TearDown() override { EXPECT_EQ(fileBytes(big()) + fileBytes(small()), sourceBytes_) << "a source changed"; }

  static fs::path big() { return *dir_ / "tarvo_big.mdb"; }
  static fs::path small() { return *dir_ / "tarvo_small.mdb"; }
  static std::string licence() { return jet::toUtf8(tools::TarvoModel({.seed = 14}).licenseNumber()); }
  fs::path cert() const { return out_ / (licence() + ".mdb"); }
  // The certificate file as a run of the small source leaves it.
  void earlierFile() const {
    fs::remove(cert());
    fs::copy_file(*dir_ / "tarvo_small.certs.mdb", cert());
  }

  // A run that did not write stopped at once, with one message that says why.
  static void expectStoppedCleanly(const ChildResult& r) {
    expectClearFailure(r);
    EXPECT_EQ(messages(r), 1u) << r.err;
    EXPECT_NE(r.err.find("is being written by another program; try again when it has finished"), std::string::npos)
        << r.err;
  }

  inline static testsupport::TempDir* dir_ = nullptr;
  inline static std::vector<CertRow> bigRows_, smallRows_;
  inline static std::string sourceBytes_;
  testsupport::TempDir outDir_;
  fs::path out_ = outDir_ / "program";
};

TEST_F(TwoRunsDrill, TwoRunsStartedTogetherLeaveOneRunsRows) {
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i % 2 == 0 ? "fresh directory" : "file of an earlier run");
    if (i % 2 == 0) fs::remove(cert());
    else earlierFile();
    auto second = std::async(std::launch::async, [&] { return runBatch(small(), out_); });
    const ChildResult first = runBatch(big(), out_);
    const ChildResult other = second.get();
    const auto rows = readCertRows(cert());
    EXPECT_TRUE(rows == bigRows_ || rows == smallRows_) << rows.size() << " rows are neither run's";
    for (const ChildResult* r : {&first, &other}) {
      if (r->exitCode != 0) expectStoppedCleanly(*r);
    }
    // A run that stopped wrote nothing: the rows are those of the one that went through
    // (of the later one when they ran one after the other).
    if (first.exitCode != 0) EXPECT_EQ(rows, smallRows_);
    if (other.exitCode != 0) EXPECT_EQ(rows, bigRows_);
  }
}

// The first run held before its writes (the clear, groups of rows of each pass, the last
// ones) while a second run goes from start to end.
TEST_F(TwoRunsDrill, ASecondRunWhileTheFirstIsHeldBeforeItsWrites) {
  if (!testsupport::canTraceWrites()) GTEST_SKIP() << "write calls cannot be traced here";
  std::set<std::string> seen;
  int k = -1;
  // Every third write from the clear on: the groups of each pass take several writes each.
  for (;; k += k < 1 ? 1 : 3) {
    // k = -1: a fresh directory, the first run held as it makes its new file; the second
    // one then finds none, makes and fills its own, and the first goes on over it.
    SCOPED_TRACE("held before write " + std::to_string(std::max(k, 0)) + (k < 0 ? " of a fresh run" : ""));
    if (k < 0) fs::remove(cert());
    else earlierFile();
    ChildResult second;
    ChildOptions options;
    options.pauseAtWrite = std::max(k, 0);
    options.whilePaused = [&] {
      if (k >= 0) {
        const auto rows = readCertRows(cert());
        const bool training = std::any_of(rows.begin(), rows.end(), [](const CertRow& r) { return r.back() == "T"; });
        seen.insert(rows == smallRows_ ? "opened" : rows.empty() ? "cleared" : training ? "training" : "qualification");
      }
      second = runBatch(small(), out_);
    };
    const ChildResult first = runBatch(big(), out_, options);
    expectOrderlyEnd(first);
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(readCertRows(cert()), bigRows_);
    if (!first.paused) break;
    if (k < 0) EXPECT_EQ(second.exitCode, 0) << second.err;
    else expectStoppedCleanly(second);
  }
  EXPECT_EQ(seen, (std::set<std::string>{"opened", "cleared", "qualification", "training"}));
  RecordProperty("lastWriteHeldBefore", k);
}

TEST_F(TwoRunsDrill, AnotherProgramWritingTheSourceDoesNotStopTheRun) {
  const fs::path source = outDir_ / "tarvo.mdb";
  fs::copy_file(small(), source);
  auto holder = jet::Database::open(source, tools::kTarvoPassword, /*writable=*/true);
  const ChildResult r = runBatch(source, out_);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readCertRows(cert()), smallRows_);
  EXPECT_EQ(fileBytes(source), fileBytes(small()));
}

TEST_F(TwoRunsDrill, ADiskThatFillsDuringAPassIsReportedOnce) {
  ChildOptions options;
  options.fileSizeLimit = fs::file_size(*dir_ / "tarvo_small.certs.mdb");  // full early in the first pass
  const ChildResult r = runBatch(big(), out_, options);
  expectClearFailure(r);
  // The pass that met the full disk, and the close that still could not write its rows.
  EXPECT_LE(messages(r), 2u) << r.err;
  EXPECT_TRUE(isPrefix(readCertRows(cert()), bigRows_));
}

}  // namespace
