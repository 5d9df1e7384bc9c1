// Drills on the certificate side of a run on the generated Tarvo sample: a program directory
// that cannot be written, a certificate file that is no database, damaged, or held by another
// process, a full disk, the process killed during the copy passes, and two runs on one file. In
// each the source stays byte for byte as it was, the run ends in clear messages, and a
// certificate file left behind still opens and holds a prefix of the rows a full run writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <random>
#include <set>

#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/read/integrity_check.h"
#include "jet/util/unicode.h"
#include "tests/drills/drill_support.h"
#include "tests/support/oracle.h"
#include "tests/support/write_trace.h"
#include "tools/tarvo_database.h"

namespace {

namespace fs = std::filesystem;
using namespace drills;

size_t lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A run that found the certificate file taken: one clear message, nothing else.
void expectStoppedAsTaken(const ChildResult& r) {
  expectClearFailure(r);
  EXPECT_EQ(lines(r.err), 1u) << r.err;
  EXPECT_NE(r.err.find("is being written by another program; try again when it has finished"), std::string::npos);
}

// Two sources of one licence: a large one whose passes each write their rows in several
// groups, and a small one, so that rows of both in one file would show; with the rows a run
// gives each. Made once.
struct TwoSources {
  TwoSources() {
    for (int i : {0, 1}) {
      tools::TarvoOptions options;
      options.seed = 14;
      if (i == 0) options.people = 1500, options.qualifications = options.trainings = 15000;
      tools::writeTarvoDatabase(tools::TarvoModel(options), file[i]);
      bytes[i] = fileBytes(file[i]);
      name = jet::toUtf8(tools::TarvoModel(options).licenseNumber()) + ".mdb";
      EXPECT_EQ(runBatch(file[i], dir.path()).exitCode, 0);
      rows[i] = readCertRows(dir / name);
      fs::rename(dir / name, dir / ("certs" + std::to_string(i) + ".mdb"));
    }
  }
  testsupport::TempDir dir;
  fs::path file[2] = {dir / "large.mdb", dir / "small.mdb"};
  std::string bytes[2], name;
  std::vector<CertRow> rows[2];
};
const TwoSources& twoSources() {
  static const TwoSources sources;
  return sources;
}

class CertificateFileDrill : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(sampleSource(), source_);
    sourceBytes_ = fileBytes(source_);
    fs::create_directories(out_);
  }
  void TearDown() override {
    fs::permissions(out_, fs::perms::all);
    EXPECT_EQ(fileBytes(source_), sourceBytes_) << "the source changed";
  }
  fs::path certFile() const { return out_ / (licenceNumber() + ".mdb"); }
  // Scratch files of the certificate file that hold bytes, as a run killed while making it
  // leaves one.
  size_t writtenScratchFiles() const {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(out_)) {
      n += entry.path() != certFile() && entry.file_size() > 0 &&
           entry.path().filename().string().starts_with(certFile().filename().string() + ".creating-");
    }
    return n;
  }

  // A run without interference, its rows in stored order.
  std::vector<CertRow> fullRun() {
    const ChildResult r = runBatch(source_, out_);
    expectOrderlyEnd(r);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return readCertRows(certFile());
  }

  testsupport::TempDir dir_;
  fs::path source_ = dir_ / "tarvo.mdb";
  fs::path out_ = dir_ / "program";
  std::string sourceBytes_;
};

TEST_F(CertificateFileDrill, AReadOnlyProgramDirectoryIsReportedAndNothingIsWritten) {
  fs::permissions(out_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                            fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  ChildOptions options;
  options.asUnprivilegedUser = true;
  const ChildResult r = runBatch(source_, out_, options);
  expectClearFailure(r);
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(CertificateFileDrill, AForeignOrHeldCertificateFileIsReportedAndKept) {
  // A file of the certificate's name that is no Jet database: reported, not overwritten.
  const std::string foreign = "Quarterly notes, not a database.\n";
  writeBytes(certFile(), foreign);
  expectClearFailure(runBatch(source_, out_));
  EXPECT_EQ(fileBytes(certFile()), foreign);

  // A good certificate file that another process holds open for writing: reported without
  // waiting, and the rows it holds are still there afterwards.
  fs::remove(certFile());
  const auto rows = fullRun();
  ASSERT_FALSE(rows.empty());
  {
    auto holder = jet::Database::open(certFile(), u"", /*writable=*/true);
    ChildOptions options;
    options.deadline = std::chrono::seconds(60);
    expectStoppedAsTaken(runBatch(source_, out_, options));
  }
  EXPECT_EQ(readCertRows(certFile()), rows);
}

// An earlier certificate file with one page of random bytes, or cut short: the run either
// leaves it exactly as it was, saying so and what to do, or refills it into a sound file that
// our checker and mdb-export read whole.
TEST_F(CertificateFileDrill, ADamagedCertificateFileIsLeftAsItIsOrRefilledSound) {
  const auto all = fullRun();
  ASSERT_FALSE(all.empty());
  const std::string good = fileBytes(certFile());
  std::vector<std::pair<std::string, std::string>> copies;
  for (size_t page = 1; page < good.size() / 4096; ++page) {
    copies.emplace_back("page " + std::to_string(page), withRandomPage(good, page, static_cast<unsigned>(page)));
  }
  for (size_t pages : {good.size() / 4096 / 3, good.size() / 4096 / 2, good.size() / 4096 - 1}) {
    copies.emplace_back("cut to " + std::to_string(pages) + " pages", good.substr(0, pages * 4096));
  }
  size_t refused = 0;
  for (const auto& [what, bytes] : copies) {
    SCOPED_TRACE(what);
    writeBytes(certFile(), bytes);
    const ChildResult r = runBatch(source_, out_);
    if (r.exitCode == 0) {
      EXPECT_EQ(readCertRows(certFile()), all);
      auto db = jet::Database::open(certFile());
      for (const auto& p : jet::checkIntegrity(db, jet::CheckDepth::kFull)) ADD_FAILURE() << p.problem;
      EXPECT_EQ(testsupport::mdbExport(certFile(), "Tarvo_Certs").rows.size(), all.size());
    } else {
      expectClearFailure(r);
      EXPECT_EQ(lines(r.err), 1u) << r.err;
      EXPECT_NE(r.err.find("Move it away or delete it; the next run makes a new one."), std::string::npos) << r.err;
      EXPECT_TRUE(fileBytes(certFile()) == bytes) << "a damaged file was changed";
      ++refused;
    }
  }
  EXPECT_GT(refused, copies.size() / 2);
}

TEST_F(CertificateFileDrill, AFullDiskEndsInMessagesAndTheNextRunRecovers) {
  const auto all = fullRun();
  ASSERT_FALSE(all.empty());
  const unsigned long long fullSize = fs::file_size(certFile());
  // Limits from an empty file up to nearly the whole one: creation, emptying and both passes.
  for (unsigned long long limit : {0ull, 4096ull, 32768ull, fullSize / 2, fullSize - 4096}) {
    SCOPED_TRACE("file size limit " + std::to_string(limit));
    fs::remove(certFile());
    ChildOptions options;
    options.fileSizeLimit = limit;
    const ChildResult r = runBatch(source_, out_, options);
    expectClearFailure(r);
    if (fs::exists(certFile()) && fs::file_size(certFile()) > 0) {
      std::vector<CertRow> rows;
      try {
        rows = readCertRows(certFile());
      } catch (const jet::Error& e) {
        // A file that never got its table is acceptable; a corrupt one is not.
        EXPECT_NE(std::string(e.what()).find("Tarvo_Certs"), std::string::npos) << e.what();
      }
      EXPECT_TRUE(isPrefix(rows, all)) << rows.size() << " rows are not a prefix";
    }
    // With room again, a run over what was left behind writes every row.
    const ChildResult again = runBatch(source_, out_);
    expectOrderlyEnd(again);
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(readCertRows(certFile()), all);
  }
  // A full disk under the earlier file's pages makes the clear fail: its rows stay, none are
  // added on top of them, and one message says so.
  ChildOptions options;
  options.fileSizeLimit = 8192;
  const ChildResult r = runBatch(source_, out_, options);
  expectClearFailure(r);
  EXPECT_EQ(lines(r.err), 1u) << r.err;
  EXPECT_NE(r.err.find("The old certificate rows could not be deleted, so no new rows were added: "), std::string::npos)
      << r.err;
  EXPECT_EQ(readCertRows(certFile()), all);
}

TEST_F(CertificateFileDrill, AKilledRunLeavesAFileThatOpensWithAPrefixOfTheRows) {
  // Learn how long a whole run takes, then kill runs at random points within it.
  const auto startTime = std::chrono::steady_clock::now();
  const auto all = fullRun();
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - startTime);
  ASSERT_FALSE(all.empty());
  const uint32_t seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int64_t> when(0, took.count());
  size_t partial = 0;
  for (int i = 0; i < 12; ++i) {
    const auto delay = std::chrono::microseconds(when(rng));
    SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
    // Half the kills hit a fresh directory (creation), half a file of an earlier run
    // (emptying and refilling).
    if (i % 2 == 0) fs::remove(certFile());
    ChildOptions options;
    options.killAfter = delay;
    runBatch(source_, out_, options);
    if (!fs::exists(certFile()) || fs::file_size(certFile()) == 0) continue;
    std::vector<CertRow> rows;
    try {
      rows = readCertRows(certFile());
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.what()).find("Tarvo_Certs"), std::string::npos) << e.what();
      continue;
    }
    EXPECT_TRUE(isPrefix(rows, all)) << rows.size() << " rows are not a prefix";
    if (!rows.empty() && rows.size() < all.size()) ++partial;
  }
  // After any of these, a whole run still writes every row.
  const ChildResult again = runBatch(source_, out_);
  expectOrderlyEnd(again);
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(readCertRows(certFile()), all);
  RecordProperty("partialFiles", static_cast<int>(partial));
}

// A run killed just before each of its writes in turn, on a fresh directory (creation) and on
// the file of an earlier run (emptying and refilling): whatever file it leaves opens and holds
// a prefix of the rows. Rows are written in large groups, so a kill inside one group's
// writes is where a wrong order would show.
TEST_F(CertificateFileDrill, ARunKilledBeforeAnyOfItsWritesLeavesAPrefixOfTheRows) {
  if (!testsupport::canTraceWrites()) GTEST_SKIP() << "write calls cannot be traced here";
  const auto all = fullRun();
  ASSERT_FALSE(all.empty());
  const fs::path earlier = dir_ / "earlier.mdb";
  fs::copy_file(certFile(), earlier);
  for (const bool fresh : {true, false}) {
    int cut = 0;
    for (;; ++cut) {
      SCOPED_TRACE(std::string(fresh ? "fresh" : "refilled") + " run killed before write " + std::to_string(cut));
      fs::remove(certFile());
      if (!fresh) fs::copy_file(earlier, certFile());
      ChildOptions options;
      options.killAtWrite = cut;
      const ChildResult r = runBatch(source_, out_, options);
      // Each run removes what the killed one before it left: one leftover at most.
      EXPECT_LE(writtenScratchFiles(), r.exited ? 0u : 1u);
      if (r.exited) {
        // Fewer writes than `cut`: the run went through.
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(readCertRows(certFile()), all);
        break;
      }
      if (!fs::exists(certFile())) {
        EXPECT_TRUE(fresh) << "the earlier file is gone";
        continue;
      }
      std::vector<CertRow> rows;
      ASSERT_NO_THROW(rows = readCertRows(certFile()));
      EXPECT_TRUE(isPrefix(rows, all)) << rows.size() << " rows are not a prefix";
    }
    EXPECT_GE(cut, 3);
    RecordProperty(fresh ? "writesOfAFreshRun" : "writesOfARefill", cut);
  }
}

// A disk that fails to sync the new file: the run says so about the certificate file, publishes
// nothing and leaves no scratch file; the next run writes every row.
TEST_F(CertificateFileDrill, AFailedSyncOfTheNewFileIsReportedAndNothingIsPublished) {
  if (!testsupport::canTraceWrites()) GTEST_SKIP() << "system calls cannot be traced here";
  ChildOptions options;
  options.failSyncs = true;
  const ChildResult r = runBatch(source_, out_, options);
  expectClearFailure(r);
  const std::string first = r.err.substr(0, r.err.find('\n'));
  EXPECT_NE(first.find("Cannot create the certificate file '" + jet::pathText(certFile()) + "': " + std::strerror(EIO)),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find(".creating"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(out_));
  EXPECT_EQ(fullRun().size(), expectedSampleRows().size());
}

TEST_F(CertificateFileDrill, ADiskThatFillsInAPassIsReportedOnceNotPerRowGroup) {
  const TwoSources& sources = twoSources();
  ChildOptions options;
  options.fileSizeLimit = fs::file_size(sources.dir / "certs1.mdb");  // full early in the first pass
  const ChildResult r = runBatch(sources.file[0], out_, options);
  expectClearFailure(r);
  EXPECT_LE(lines(r.err), 2u) << r.err;  // the pass, and the close that still cannot write
  EXPECT_TRUE(isPrefix(readCertRows(out_ / sources.name), sources.rows[0]));
}

// Two runs on one program directory: a large source's and a small one's, started together
// and the small one while the large one is held before its writes (as it makes a new file,
// before its clear, in each pass). Another program holds the large source open for writing
// all along. One run writes; one that finds the file taken stops with one message; the file
// ends with exactly one run's rows.
TEST_F(CertificateFileDrill, TwoRunsOnOneFileLeaveExactlyOneRunsRows) {
  if (!testsupport::canTraceWrites()) GTEST_SKIP() << "write calls cannot be traced here";
  const TwoSources& sources = twoSources();
  const fs::path &large = sources.file[0], &small = sources.file[1];
  const fs::path cert = out_ / sources.name, earlier = sources.dir / "certs1.mdb";
  auto holder = jet::Database::open(large, tools::kTarvoPassword, /*writable=*/true);

  fs::copy_file(earlier, cert);
  auto second = std::async(std::launch::async, [&] { return runBatch(small, out_); });
  const ChildResult first = runBatch(large, out_), other = second.get();
  if (first.exitCode != 0) expectStoppedAsTaken(first);
  if (other.exitCode != 0) expectStoppedAsTaken(other);
  // The rows of a run that went through (of the later one when both did, one after the other).
  const auto rows = readCertRows(cert);
  EXPECT_TRUE((rows == sources.rows[0] && first.exitCode == 0) || (rows == sources.rows[1] && other.exitCode == 0))
      << rows.size() << " rows";

  std::set<std::string> seen;
  for (int k = -1;; k += k < 1 ? 1 : 3) {  // the groups of a pass take several writes each
    SCOPED_TRACE("held before write " + std::to_string(std::max(k, 0)) + (k < 0 ? " of a fresh run" : ""));
    fs::remove(cert);
    if (k >= 0) fs::copy_file(earlier, cert);
    ChildResult held;
    ChildOptions options;
    options.killAtWrite = std::max(k, 0);
    options.whilePaused = [&] {
      if (k >= 0) {
        const auto now = readCertRows(cert);
        const bool training = std::any_of(now.begin(), now.end(), [](const CertRow& r) { return r.back() == "T"; });
        seen.insert(now == sources.rows[1] ? "opened" : now.empty() ? "cleared" : training ? "training" : "qualification");
      }
      held = runBatch(small, out_);
    };
    const ChildResult r = runBatch(large, out_, options);
    expectOrderlyEnd(r);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readCertRows(cert), sources.rows[0]);
    if (!r.paused) break;
    // Held as it made its file, the large run finds the small one's there and writes over it.
    if (k < 0) EXPECT_EQ(held.exitCode, 0) << held.err;
    else expectStoppedAsTaken(held);
  }
  EXPECT_EQ(seen, (std::set<std::string>{"opened", "cleared", "qualification", "training"}));
  EXPECT_EQ(fileBytes(large) + fileBytes(small), sources.bytes[0] + sources.bytes[1]);
}

}  // namespace
