// The writing stage over real files: naming, creating, reusing, clearing and upgrading the
// certificate file, the order of the rows, and the progress bar.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "certfile/create.h"
#include "jet/write/database_create.h"
#include "run/text.h"
#include "tests/run/run_fixture.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;

std::u16string typeOf(const runtest::CertRow& row) {
  const auto& v = row.at(u"Type");
  return v.isNull() ? u"(null)" : v.get<std::u16string>();
}

TEST(Writing, FirstRunCreatesTheFileNamedAfterTheLicenceAndFillsIt) {
  RunFixture f;
  f.runOver(f.copyGenerated("tarvo_sample.mdb", f.source("tarvo_sample.mdb")));
  const auto expected = testsupport::Json::parse([] {
    std::ifstream in(testsupport::sharedDir() / "corpus/generated/tarvo_sample.expected.json");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }());
  const int q = static_cast<int>(expected["counts"]["qualificationCertRows"].asNumber());
  const int t = static_cast<int>(expected["counts"]["trainingCertRows"].asNumber());
  const std::string licence = expected["control"]["License_Nbr"].asString();
  const std::u16string licence16(licence.begin(), licence.end());

  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_EQ(f.window.results, run::decimal(q + t));
  EXPECT_EQ(f.window.max, static_cast<float>(q + t));
  EXPECT_EQ(f.window.uploadDir, licence16 + u".mdb");
  EXPECT_EQ(f.window.uploadName, f.program().u16string());
  ASSERT_TRUE(fs::is_regular_file(f.cert(licence16)));
  EXPECT_EQ(std::distance(fs::directory_iterator(f.program()), fs::directory_iterator()), 1);

  const auto rows = runtest::readCertRows(f.cert(licence16));
  ASSERT_EQ(rows.size(), static_cast<size_t>(q + t));
  for (int i = 0; i < q + t; ++i) EXPECT_EQ(typeOf(rows[i]), i < q ? u"Q" : u"T") << i;
  EXPECT_FALSE(f.window.visible);
  EXPECT_EQ(f.window.visibleChanges, 2);
}

TEST(Writing, ALaterRunEmptiesTheTableAndWritesItAgain) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(2, 3));
  f.runOver(f.source());
  ASSERT_TRUE(f.window.boxes.empty()) << f.boxesText();
  const auto first = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(first.size(), 5u);

  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();  // no second creation over the file
  const auto second = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(second.size(), 5u);
  for (size_t i = 0; i < second.size(); ++i) {
    EXPECT_EQ(second[i].at(u"Course"), first[i].at(u"Course"));
    EXPECT_EQ(second[i].at(u"Date"), first[i].at(u"Date"));
  }
}

TEST(Writing, QualificationRowsComeFirstAndTheBarCountsEveryRow) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(12, 30));
  f.window.value = 0;
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  EXPECT_EQ(f.window.results, u"42");
  EXPECT_EQ(f.window.max, 42.0f);
  ASSERT_EQ(f.window.progressValues.size(), 42u);
  for (size_t k = 0; k < 42; ++k) EXPECT_EQ(f.window.progressValues[k], float(k + 1));
  const auto rows = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(rows.size(), 42u);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(typeOf(rows[i]), i < 12 ? u"Q" : u"T");
}

TEST(Writing, TheBarNeverPassesItsMaximumAndIsNotReset) {
  RunFixture f;
  runtest::writeSourceDb(f.source("tarvo_a.mdb"), runtest::simpleSource(2, 3));
  f.window.value = 5;  // already at the maximum the run will set
  f.runOver(f.source("tarvo_a.mdb"));
  EXPECT_EQ(f.window.progressValues, std::vector<float>(5, 5.0f));

  // A second run starts where the first left the bar.
  runtest::writeSourceDb(f.source("tarvo_b.mdb"), runtest::simpleSource(4, 4));
  f.window.progressValues.clear();
  f.runOver(f.source("tarvo_b.mdb"));
  EXPECT_EQ(f.window.progressValues, (std::vector<float>{6, 7, 8, 8, 8, 8, 8, 8}));
}

TEST(Writing, AnOlderFileWithoutTypeIsUpgradedAndFilled) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(2, 1));
  f.copyGenerated("cert_without_type.mdb", f.cert(u"L-1"));
  ASSERT_EQ(runtest::certColumns(f.cert(u"L-1")).size(), 11u);
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  const auto columns = runtest::certColumns(f.cert(u"L-1"));
  ASSERT_EQ(columns.size(), 12u);
  EXPECT_EQ(columns.back(), u"Type");
  const auto rows = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(rows.size(), 3u);  // the rows the old file held are gone
  EXPECT_EQ(typeOf(rows[0]), u"Q");
  EXPECT_EQ(typeOf(rows[1]), u"Q");
  EXPECT_EQ(typeOf(rows[2]), u"T");
}

TEST(Writing, AFileWithoutTheTableIsReportedWithoutAFloodOfBoxes) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(50, 50));
  certfile::CreateAccessDatabase(f.cert(u"L-1").u16string());  // an earlier run that failed half-way
  f.runOver(f.source());
  // The open of rsCerts fails and so does what needs it; FieldExists answers False
  // silently, AddNewField shows its own box, and each pass says once that it copies nothing.
  int addNewField = 0, notice = 0, passes = 0;
  for (const auto& b : f.window.boxes) {
    addNewField += b.title == u"Error in AddNewField";
    notice += b.title == u"Error Notice";
    passes += b.text.find(u"pass copies no rows") != std::u16string::npos;
  }
  EXPECT_EQ(addNewField, 1) << f.boxesText();
  EXPECT_EQ(notice, 0) << f.boxesText();
  EXPECT_EQ(passes, 2) << f.boxesText();
  EXPECT_LT(f.window.boxes.size(), 10u) << f.boxesText();
  EXPECT_EQ(f.window.boxes.front().title, u"Error in cmdRUN");
  EXPECT_FALSE(f.window.visible);
}

}  // namespace

// A certificate file that cannot be made or opened: the first message names it, as the
// user knows it, with the cause, and no message names the run's scratch file.
TEST(Writing, ACertificateFileThatCannotBeMadeIsNamedWithTheCause) {
#ifdef _WIN32
  const std::u16string denied = u"access is denied";
#else
  const std::u16string denied = u"permission denied";
#endif
  const std::u16string access97 = u"is a Jet 3 (Access 97) database, which is read but never changed.";
  for (const std::u16string& cause : {denied, std::u16string(u"Not a valid password."), access97}) {
    RunFixture f;
    runtest::writeSourceDb(f.source(), runtest::simpleSource(2, 2));
    const std::string folder = "'" + f.program().string() + "' 2>/dev/null";
    if (cause == denied) {
      fs::permissions(f.program(), fs::perms::owner_read | fs::perms::owner_exec);
      // The superuser writes there all the same; an immutable folder keeps even it out.
      bool writable = std::ofstream(f.program() / "probe").good();
      fs::remove(f.program() / "probe");
#ifndef _WIN32
      if (writable) writable = std::system(("chattr +i " + folder).c_str()) != 0;
#endif
      if (writable) continue;  // nothing here keeps this user out of a folder
    } else if (cause == access97) {
      fs::copy_file(testsupport::corpusFile("jackcess/testV1997.mdb"), f.cert(u"L-1"));
    } else {
      jet::createDatabase(f.cert(u"L-1"), {.password = u"other", .creationDate = std::nullopt});
    }
    f.runOver(f.source());
#ifndef _WIN32
    if (cause == denied) (void)std::system(("chattr -i " + folder).c_str());
#endif
    fs::permissions(f.program(), fs::perms::owner_all);
    ASSERT_FALSE(f.window.boxes.empty());
    const std::u16string& first = f.window.boxes.front().text;
    EXPECT_NE(first.find(f.cert(u"L-1").u16string()), std::u16string::npos) << f.boxesText();
    EXPECT_NE(first.find(cause), std::u16string::npos) << f.boxesText();
    for (const auto& b : f.window.boxes) EXPECT_EQ(b.text.find(u".creating"), std::u16string::npos) << f.boxesText();
  }
}
