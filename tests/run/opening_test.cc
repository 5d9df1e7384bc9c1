// Steps 9 to 27 over real source files: the counts, and what a source that cannot be
// opened or read does to the rest of the run.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/run/run_fixture.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;
using runtest::text;

TEST(Opening, OnlyPassedCoursesOfRosteredPeopleAreCounted) {
  RunFixture f;
  runtest::SourceDb db = runtest::simpleSource(3, 2);
  db.qualifications.push_back({int32_t{1}, text(u"failed"), {}, {}, {}, false});
  db.qualifications.push_back({int32_t{1}, text(u"unknown"), {}, {}, {}, data::Value()});
  db.qualifications.push_back({int32_t{99}, text(u"not on the roster"), {}, {}, {}, true});
  db.roster.push_back({2, text(u"L-OTHER"), {}, text(u"Other agency"), {}, {}});
  db.training.push_back({int32_t{2}, text(u"licence without Control row"), {}, {}, {}, true});
  runtest::writeSourceDb(f.source(), db);
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_EQ(f.window.results, u"5");
  EXPECT_EQ(f.window.max, 5.0f);
  EXPECT_EQ(runtest::readCertRows(f.cert(u"L-1")).size(), 5u);
}

TEST(Opening, BothQueriesEmptyShowZeroAndTheRunGoesOn) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(0, 0));
  f.window.uploadDir = u"previous.mdb";
  // Without a licence the certificate path is empty: creating the file and its table fail
  // there and touch nothing in the working directory, not even a file of the scratch name.
  const fs::path workDir = f.dir / "cwd";
  fs::create_directories(workDir);
  std::ofstream(workDir / ".creating-table") << "someone else's";
  const fs::path before = fs::current_path();
  fs::current_path(workDir);
  f.runOver(f.source());
  fs::current_path(before);
  std::ifstream kept(workDir / ".creating-table");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "someone else's");
  EXPECT_EQ(std::distance(fs::directory_iterator(workDir), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_empty(f.program()));
  EXPECT_EQ(f.window.results, u"0");
  EXPECT_EQ(f.window.max, 0.0f);
  // Without any row there is no licence: step 28 reports the missing current row, and
  // the upload box keeps what it showed.
  ASSERT_FALSE(f.window.boxes.empty());
  EXPECT_EQ(f.window.boxes.front().title, u"Error in cmdRUN");
  EXPECT_EQ(f.window.boxes.front().text.substr(0, 5), u"3021-");
  EXPECT_EQ(f.window.uploadDir, u"previous.mdb");
  EXPECT_EQ(f.window.uploadName, f.program().u16string());
  EXPECT_FALSE(f.window.visible);
  EXPECT_TRUE(f.window.progressValues.empty());
}

TEST(Opening, AnotherPasswordReportsTheOpenAndEveryStepThatNeedsIt) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(3, 3), u"another-password");
  f.window.results = u"17";
  f.runOver(f.source());
  ASSERT_GE(f.window.boxes.size(), 3u);
  EXPECT_EQ(f.window.boxes[0].text.substr(0, 12), u"-2147217843-") << f.boxesText();
  EXPECT_EQ(f.window.boxes[0].title, u"Error in cmdRUN");
  EXPECT_EQ(f.window.results, u"0");  // the counts kept their value 0
  EXPECT_EQ(f.window.max, 0.0f);
  EXPECT_TRUE(fs::is_empty(f.program()));  // no certificate file anywhere
  EXPECT_LT(f.window.boxes.size(), 40u) << f.boxesText();
  EXPECT_FALSE(f.window.visible);
}

TEST(Opening, AFileThatIsNoDatabaseIsReportedNotFatal) {
  RunFixture f;
  {
    std::ofstream out(f.source(), std::ios::binary);
    out << "this is not a database";
  }
  f.runOver(f.source());
  ASSERT_FALSE(f.window.boxes.empty());
  EXPECT_EQ(f.window.boxes[0].title, u"Error in cmdRUN");
  EXPECT_EQ(f.window.results, u"0");
  std::ifstream in(f.source());
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "this is not a database");
}

}  // namespace
