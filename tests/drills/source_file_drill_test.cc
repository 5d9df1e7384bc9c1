// Drills on the source database: files that are no usable Tarvo database. Each must end in
// clear messages, never a crash or a hang, and leave the source byte for byte as it was. The
// run goes on past a failed step, so a source damaged only in part may still give rows: each
// of them must be a row the undamaged sample gives, nothing invented or garbled. And damage
// never costs rows in silence: a run that reports nothing has written every row.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/drills/drill_support.h"

namespace {

namespace fs = std::filesystem;
using namespace drills;

struct BadSource {
  const char* what;
  std::string bytes;  // the file's content; ignored for a directory
  bool directory = false;
  bool unreadable = false;
};

std::vector<BadSource> badSources() {
  const std::string sample = fileBytes(sampleSource());
  std::mt19937 rng(20261209);
  std::string noise(sample.size(), '\0');
  for (auto& c : noise) c = static_cast<char>(rng());
  // Random bytes behind a valid header page: the reader gets past the first checks.
  std::string noisyBody = sample.substr(0, 4096) + noise.substr(4096);
  std::string wrongPassword = fileBytes(testsupport::corpusFile("mdb-reader/V2000_with-password.mdb"));
  return {
      {"a zero-byte file", ""},
      {"one byte short of a page", sample.substr(0, 4095)},
      {"truncated to half", sample.substr(0, sample.size() / 2)},
      {"truncated mid-page", sample.substr(0, sample.size() - 1000)},
      {"random bytes", noise},
      {"random bytes behind a valid header", noisyBody},
      {"a database with another password", wrongPassword},
      {"a directory", "", true},
      {"an unreadable file", sample, false, true},
  };
}

TEST(SourceFileDrill, BadSourcesEndInClearMessagesAndChangeNothing) {
  const auto expected = expectedSampleRows();
  for (const auto& bad : badSources()) {
    SCOPED_TRACE(bad.what);
    testsupport::TempDir dir;
    const fs::path source = dir / "tarvo.mdb";
    const fs::path out = dir / "program";
    fs::create_directories(out);
    ChildOptions options;
    if (bad.directory) {
      fs::create_directories(source / "inside");
    } else {
      writeBytes(source, bad.bytes);
    }
    if (bad.unreadable) {
      fs::permissions(source, fs::perms::none);
      fs::permissions(out, fs::perms::all);  // the unprivileged child may write here
      options.asUnprivilegedUser = true;
    }

    const ChildResult r = runBatch(source, out, options);
    expectClearFailure(r);

    if (!bad.directory) {
      fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
      EXPECT_EQ(fileBytes(source), bad.bytes) << "the source changed";
    }
    // Whatever the run made of the program directory, it holds only true certificate rows.
    for (const auto& entry : fs::directory_iterator(out)) {
      if (entry.path().extension() != ".mdb") continue;
      std::vector<CertRow> rows;
      try {
        rows = readCertRows(entry.path());
      } catch (const std::exception&) {
        continue;  // no certificate table at all
      }
      for (const auto& row : rows) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), row), expected.end())
            << entry.path() << " holds a row the sample does not give: " << row[0] << ", " << row[2];
      }
    }
  }
}

// Each page in turn holds random bytes: the run either writes exactly the sample's rows or
// says, with a failing exit status, what is damaged.
TEST(SourceFileDrill, APageOfRandomBytesCostsNoRowWithoutAMessage) {
  auto expected = expectedSampleRows();
  std::sort(expected.begin(), expected.end());
  const std::string sample = fileBytes(sampleSource());
  size_t reported = 0;
  for (size_t page = 1; page < sample.size() / 4096; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    testsupport::TempDir dir;
    const fs::path source = dir / "tarvo.mdb";
    writeBytes(source, withRandomPage(sample, page, static_cast<unsigned>(page)));
    fs::create_directories(dir / "program");
    const ChildResult r = runBatch(source, dir / "program");
    if (r.exitCode == 0) {
      auto rows = readCertRows(dir / "program" / (licenceNumber() + ".mdb"));
      std::sort(rows.begin(), rows.end());
      EXPECT_EQ(rows, expected);
    } else {
      expectClearFailure(r);
      EXPECT_NE(r.err.find("Repair the database in Access (Compact and Repair) and run again."), std::string::npos) << r.err;
      ++reported;
    }
  }
  EXPECT_GT(reported, 0u);
}

}  // namespace
