// The two source queries of the extraction run on a generated Tarvo database, compared as
// multisets with the certificate rows its generator expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "data/ado.h"
#include "data/text.h"
#include "jet/util/value_text.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace {

using testsupport::Json;

constexpr char16_t kPassword[] = u"KRVNDQLT-58203";

const std::u16string kQualificationQuery =
    u"SELECT Control.Licensee, Qualifications.Course, Qualifications.QualDate, "
    u"Qualifications.Location, Qualifications.Expiration, Roster.Office, Roster.LName, "
    u"Roster.FName, Roster.Email, Roster.License FROM Control INNER JOIN (Qualifications INNER "
    u"JOIN Roster ON Qualifications.AgentID = Roster.ID) ON Control.License_Nbr = "
    u"Roster.License WHERE Qualifications.PassFail = True";

const std::u16string kTrainingQuery =
    u"SELECT Control.Licensee, Training.CourseName, Training.CourseDate, Training.Location, "
    u"Training.Expiration, Roster.Office, Roster.LName, Roster.FName, Roster.Email, "
    u"Roster.License FROM Control INNER JOIN (Training INNER JOIN Roster ON Training.AgentID = "
    u"Roster.ID) ON Control.License_Nbr = Roster.License WHERE Training.PassFail = True";

std::filesystem::path samplePath() {
  return testsupport::sharedDir() / "corpus" / "generated" / "tarvo_sample.mdb";
}

std::u16string openString(const std::filesystem::path& file) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.u16string() +
         u";Jet OLEDB:Database Password=" + kPassword + u";Mode=Read|Write";
}

// A certificate field as the expected file writes it: text (Null as ""), or a date
// "yyyy-mm-ddThh:mm:ss", or null.
std::string asText(const data::Value& v) {
  if (v.isNull()) return "";
  return data::toUtf8(v.get<std::u16string>());
}

std::string asDate(const data::Value& v) {
  if (v.isNull()) return "null";
  std::string s = data::toUtf8(jet::textOf(data::Value(v.get<data::DateTime>())));
  if (s.size() == 10) s += " 00:00:00";
  s[10] = 'T';
  return s;
}

// The ten query columns in the order of the certificate's fields; Office follows the row
// mapping: an Office that is Null or empty takes the Licensee.
std::string certificateKey(data::Recordset& rs, const char16_t* course, const char16_t* date,
                           const char* type) {
  auto f = [&](const char16_t* name) { return rs.field(name).value(); };
  std::string office = asText(f(u"Office"));
  if (office.empty()) office = asText(f(u"Licensee"));
  std::ostringstream key;
  key << asText(f(u"LName")) << '|' << asText(f(u"FName")) << '|' << asText(f(course)) << '|'
      << asDate(f(date)) << '|' << asText(f(u"Location")) << '|' << asText(f(u"Email")) << '|'
      << asDate(f(u"Expiration")) << '|' << asText(f(u"License")) << '|' << office << '|'
      << asText(f(u"Licensee")) << '|' << type;
  return key.str();
}

std::vector<std::string> expectedKeys(const Json& expected, const std::string& type) {
  std::vector<std::string> keys;
  for (const Json& row : expected["rows"].asArray()) {
    if (row["Type"].asString() != type) continue;
    std::ostringstream key;
    bool first = true;
    for (const char* c : {"LName", "FName", "Course", "Date", "Location", "Email", "Expiration",
                          "LicenseNo", "Office", "Licensee", "Type"}) {
      if (!first) key << '|';
      first = false;
      key << (row[c].isNull() ? "null" : row[c].asString());
    }
    keys.push_back(key.str());
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::vector<std::string> queryKeys(data::Connection& cn, const std::u16string& sql,
                                   const char16_t* course, const char16_t* date, const char* type,
                                   int& recordCount) {
  data::Recordset rs;
  rs.setActiveConnection(cn);
  rs.setCursorType(data::adOpenStatic);
  rs.setSource(sql);
  rs.open();
  recordCount = rs.recordCount();
  EXPECT_EQ(rs.fields().count(), 10);
  std::vector<std::string> keys;
  while (!rs.eof()) {
    keys.push_back(certificateKey(rs, course, date, type));
    rs.moveNext();
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

Json loadExpected(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return Json::parse(text.str());
}

void expectQueriesGive(const std::filesystem::path& db, const std::filesystem::path& expectedJson) {
  Json expected = loadExpected(expectedJson);
  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.setConnectionString(openString(db));
  cn.open();

  int qualCount = 0, trainCount = 0;
  auto q = queryKeys(cn, kQualificationQuery, u"Course", u"QualDate", "Q", qualCount);
  auto t = queryKeys(cn, kTrainingQuery, u"CourseName", u"CourseDate", "T", trainCount);
  EXPECT_EQ(qualCount, expected["counts"]["qualificationCertRows"].asNumber());
  EXPECT_EQ(trainCount, expected["counts"]["trainingCertRows"].asNumber());
  EXPECT_EQ(q, expectedKeys(expected, "Q"));
  EXPECT_EQ(t, expectedKeys(expected, "T"));
}

TEST(SourceQueriesTest, SampleDatabaseGivesTheExpectedCertificateRows) {
  expectQueriesGive(samplePath(), testsupport::sharedDir() / "corpus" / "generated" /
                                      "tarvo_sample.expected.json");
}

// Databases of other seeds and shapes, from the generator, each with its own expectation.
TEST(SourceQueriesTest, GeneratedDatabasesGiveTheirExpectedRows) {
  struct Shape {
    const char* seed;
    const char* people;
    const char* qualifications;
    const char* trainings;
  } shapes[] = {{"5", "1", "3", "0"}, {"17", "150", "900", "1200"}, {"29", "2000", "6000", "4000"}};
  testsupport::TempDir dir;
  for (const Shape& s : shapes) {
    SCOPED_TRACE(std::string("seed ") + s.seed);
    auto db = dir / (std::string("tarvo_") + s.seed + ".mdb");
    auto json = dir / (std::string("tarvo_") + s.seed + ".json");
    testsupport::runToolChecked({(testsupport::buildDir() / "make-tarvo-db").string(), db.string(),
                                 "--seed", s.seed, "--people", s.people, "--qualifications",
                                 s.qualifications, "--trainings", s.trainings, "--expected",
                                 json.string()});
    expectQueriesGive(db, json);
  }
}

}  // namespace

// A split pair: the front end holds only links to the four tables of a back end. The links
// store the back end's path as it was made (absolute), relative to the front end, as a path
// that no longer holds it (the file is then found by name beside the front end), and as a
// Windows path from another PC.
TEST(SourceQueriesTest, SplitPairsGiveTheExpectedRowsThroughTheFrontEnd) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir / "data");
  const std::string make = (testsupport::buildDir() / "make-tarvo-db").string();
  struct Pair {
    const char* name;
    std::string backEnd;   // where the back end is written
    std::string linkPath;  // what the links store; empty: the generator's default (absolute)
  } pairs[] = {
      {"absolute", (dir / "data" / "abs_be.mdb").string(), ""},
      {"relative", (dir / "data" / "rel_be.mdb").string(), "data\\rel_be.mdb"},
      {"moved", (dir / "Moved_BE.mdb").string(), (dir / "old" / "moved_be.mdb").string()},
      {"windows", (dir / "tarvo_be.mdb").string(), "\\\\server\\share\\Tarvo\\TARVO_BE.MDB"},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.name);
    auto fe = dir / (std::string("tarvo_") + p.name + ".mdb");
    auto json = dir / (std::string(p.name) + ".json");
    std::vector<std::string> args = {make, fe.string(), "--seed", "23", "--people", "40", "--qualifications",
                                     "160", "--trainings", "120", "--expected", json.string(),
                                     "--back-end", p.backEnd, "--back-end-password", "be-only"};
    if (!p.linkPath.empty()) args.insert(args.end(), {"--link-path", p.linkPath});
    testsupport::runToolChecked(args);
    expectQueriesGive(fe, json);
  }
}
