// Where the run does better than its plain text would: training certificates without any
// qualification, licence numbers that are no file names, awkward source paths.
#include <gtest/gtest.h>

#include "tests/run/run_fixture.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;
using runtest::text;

TEST(Safety, WithoutQualificationsTheTrainingLicenceNamesTheFile) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(0, 4));
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_EQ(f.window.uploadDir, u"L-1.mdb");
  const auto rows = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(rows.size(), 4u);
  for (const auto& row : rows) EXPECT_EQ(row.at(u"Type"), data::Value(std::u16string(u"T")));
}

TEST(Safety, ALicenceThatIsNoPlainFileNameWritesNothingOutsideTheProgramDirectory) {
  for (std::u16string licence : {u"../escaped", u"sub/dir", u"..", u"a\\b", u"CON"}) {
    RunFixture f;
    runtest::SourceDb db = runtest::simpleSource(2, 2);
    db.control[0].first = text(licence.c_str());
    db.roster[0].license = text(licence.c_str());
    runtest::writeSourceDb(f.source(), db);
    f.window.uploadDir = u"previous.mdb";
    f.runOver(f.source());
    ASSERT_FALSE(f.window.boxes.empty());
    const auto& first = f.window.boxes.front();
    EXPECT_EQ(first.title, u"Error in cmdRUN");
    const std::u16string start = u"52-The licence number \"" + licence + u"\" cannot name the certificate file: ";
    EXPECT_EQ(first.text.substr(0, start.size()), start);
    EXPECT_EQ(f.window.uploadDir, u"previous.mdb");
    // Nothing but the source and the (empty) program directory exists in the scratch tree.
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(f.dir.path())) found.push_back(entry.path());
    EXPECT_EQ(found.size(), 2u) << f.boxesText();
    // Each pass reports once that it has nowhere to copy to, instead of once per row and step.
    EXPECT_LT(f.window.boxes.size(), 15u) << f.boxesText();
  }
}

TEST(Safety, ASourcePathWithSemicolonsAndQuotesReachesTheEngine) {
  RunFixture f;
  const fs::path odd = f.dir / "office;Mode=Read\"'s data";
  fs::create_directories(odd);
  runtest::writeSourceDb(odd / "tarvo_x.mdb", runtest::simpleSource(1, 1));
  f.runOver(odd / "tarvo_x.mdb");
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_EQ(f.window.results, u"2");
  EXPECT_EQ(runtest::readCertRows(f.cert(u"L-1")).size(), 2u);
}

TEST(Safety, AProgramDirectoryWithSemicolonsStillGetsItsFile) {
  RunFixture f;
  const fs::path odd = f.dir / "tools;x=1 '";
  fs::create_directories(odd);
  f.window.directory = odd;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(1, 1));
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_TRUE(fs::is_regular_file(odd / "L-1.mdb"));
  EXPECT_EQ(f.window.uploadName, odd.u16string());
}

}  // namespace
