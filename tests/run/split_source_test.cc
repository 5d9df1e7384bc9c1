// Whole runs over a split source: the file the user picks is a front end whose four tables
// are links to a back end beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "data/text.h"
#include "run/text.h"
#include "tests/run/run_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/oracle.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;

std::string textOf(const data::Value& v) { return v.isNull() ? "(null)" : data::toUtf8(v.get<std::u16string>()); }

// Writes a split pair whose links store a Windows path from another PC; returns the
// generator's expected certificate rows.
testsupport::Json makeSplitPair(const RunFixture& f, const fs::path& backEnd) {
  const auto json = f.dir / "expected.json";
  testsupport::runToolChecked({(testsupport::buildDir() / "make-tarvo-db").string(), f.source().string(), "--seed",
                               "31", "--people", "30", "--qualifications", "90", "--trainings", "70",
                               "--expected", json.string(), "--back-end", backEnd.string(), "--link-path",
                               "C:\\Tarvo\\Data\\" + backEnd.filename().string()});
  std::ifstream in(json);
  return testsupport::Json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST(SplitSource, ARunThroughTheFrontEndWritesTheBackEndsRows) {
  RunFixture f;
  const auto expected = makeSplitPair(f, f.dir / "tarvo_be.mdb");
  const std::string before = testsupport::fileBytes(f.source()), beBefore = testsupport::fileBytes(f.dir / "tarvo_be.mdb");
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();

  std::vector<std::string> want, got;
  for (const auto& row : expected["rows"].asArray()) {
    want.push_back(row["LName"].asString() + "|" + row["Course"].asString() + "|" + row["Type"].asString());
  }
  const std::string licence = expected["control"]["License_Nbr"].asString();
  for (const auto& row : runtest::readCertRows(f.cert(data::fromUtf8(licence)))) {
    got.push_back(textOf(row.at(u"LName")) + "|" + textOf(row.at(u"Course")) + "|" + textOf(row.at(u"Type")));
  }
  EXPECT_EQ(f.window.results, run::decimal(static_cast<int64_t>(want.size())));
  std::sort(want.begin(), want.end());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(testsupport::fileBytes(f.source()), before);
  EXPECT_EQ(testsupport::fileBytes(f.dir / "tarvo_be.mdb"), beBefore);
}

TEST(SplitSource, AMissingBackEndIsReportedAtBothQueriesAndNothingIsWritten) {
  RunFixture f;
  fs::create_directories(f.dir / "elsewhere");
  makeSplitPair(f, f.dir / "elsewhere" / "tarvo_be.mdb");
  fs::remove(f.dir / "elsewhere" / "tarvo_be.mdb");
  const std::string before = testsupport::fileBytes(f.source());
  f.runOver(f.source());
  // Steps 17 and 23 report the link; the steps that need their record sets follow as usual.
  std::vector<std::string> linkErrors;
  for (const auto& box : f.window.boxes) {
    const std::string text = data::toUtf8(box.text);
    if (text.rfind("-2147467259-The table '", 0) != 0) continue;
    EXPECT_EQ(box.title, u"Error in cmdRUN");
    linkErrors.push_back(text);
  }
  ASSERT_EQ(linkErrors.size(), 2u) << f.boxesText();
  for (const std::string& text : linkErrors) {
    EXPECT_NE(text.find("C:\\Tarvo\\Data\\tarvo_be.mdb"), std::string::npos) << text;
    EXPECT_NE(text.find((f.dir / "tarvo_be.mdb").string()), std::string::npos) << text;
  }
  EXPECT_EQ(f.window.results, u"0");
  EXPECT_EQ(testsupport::fileBytes(f.source()), before);
}

}  // namespace
