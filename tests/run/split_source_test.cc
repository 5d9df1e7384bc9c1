// Whole runs over a split source: the file the user picks is a front end whose four tables
// are links to a back end, stored as a Windows path from another PC.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "data/text.h"
#include "tests/run/run_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/oracle.h"

namespace {

namespace fs = std::filesystem;
using runtest::RunFixture;

std::string textOf(const data::Value& v) { return v.isNull() ? "(null)" : data::toUtf8(v.get<std::u16string>()); }

// Writes the pair (broken links are checked at the engine, whose errors the run reports
// like any other failure of steps 17 and 23); returns the generator's expected certificate rows.
testsupport::Json makeSplitPair(const RunFixture& f, const fs::path& backEnd) {
  const auto json = f.dir / "expected.json";
  testsupport::runToolChecked({(testsupport::buildDir() / "make-tarvo-db").string(), f.source().string(), "--seed",
                               "31", "--people", "30", "--qualifications", "90", "--trainings", "70",
                               "--expected", json.string(), "--back-end", backEnd.string(), "--link-path",
                               "C:\\Tarvo\\Data\\" + backEnd.filename().string()});
  std::ifstream in(json);
  return testsupport::Json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST(SplitSource, ARunThroughTheFrontEndWritesTheBackEndsRowsAndChangesNeither) {
  RunFixture f;
  const auto expected = makeSplitPair(f, f.dir / "tarvo_be.mdb");
  const std::string before = testsupport::fileBytes(f.source()) + testsupport::fileBytes(f.dir / "tarvo_be.mdb");
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  std::vector<std::string> want, got;
  for (const auto& row : expected["rows"].asArray()) {
    want.push_back(row["LName"].asString() + "|" + row["Course"].asString() + "|" + row["Type"].asString());
  }
  for (const auto& row : runtest::readCertRows(f.cert(data::fromUtf8(expected["control"]["License_Nbr"].asString())))) {
    got.push_back(textOf(row.at(u"LName")) + "|" + textOf(row.at(u"Course")) + "|" + textOf(row.at(u"Type")));
  }
  std::sort(want.begin(), want.end());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, want);
  EXPECT_EQ(testsupport::fileBytes(f.source()) + testsupport::fileBytes(f.dir / "tarvo_be.mdb"), before);
}

}  // namespace
