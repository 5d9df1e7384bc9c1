// FillCertRow seen in the certificate file: text and value copies, the pass letter and the
// Office rule.
#include <gtest/gtest.h>

#include "data/ado.h"
#include "tests/run/run_fixture.h"

namespace {

using runtest::date;
using runtest::RunFixture;
using runtest::text;

data::Value str(const char16_t* s) { return data::Value(std::u16string(s)); }

TEST(Mapping, AllNullSourceRowGivesEmptyTextsNullDatesAndTheLetter) {
  RunFixture f;
  runtest::SourceDb db;
  db.control.push_back({text(u"L-7"), data::Value()});
  db.roster.push_back({1, text(u"L-7"), data::Value(), data::Value(), data::Value(), data::Value()});
  db.qualifications.push_back({int32_t{1}, {}, {}, {}, {}, true});
  db.training.push_back({int32_t{1}, {}, {}, {}, {}, true});
  runtest::writeSourceDb(f.source(), db);
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  const auto rows = runtest::readCertRows(f.cert(u"L-7"));
  ASSERT_EQ(rows.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    for (const char16_t* c : {u"LName", u"FName", u"Course", u"Location", u"Email", u"Licensee", u"Office"}) {
      EXPECT_EQ(rows[i].at(c), str(u"")) << i << " " << std::string(c, c + 5);
    }
    EXPECT_EQ(rows[i].at(u"LicenseNo"), str(u"L-7"));
    EXPECT_TRUE(rows[i].at(u"Date").isNull());
    EXPECT_TRUE(rows[i].at(u"Expiration").isNull());
    EXPECT_FALSE(rows[i].at(u"RecID").isNull());  // numbered by the database
  }
  EXPECT_EQ(rows[0].at(u"Type"), str(u"Q"));
  EXPECT_EQ(rows[1].at(u"Type"), str(u"T"));
}

TEST(Mapping, TrainingColumnsAndDatesCarryOverAsValues) {
  RunFixture f;
  runtest::SourceDb db;
  db.control.push_back({text(u"L-2"), text(u"Agency Two")});
  db.roster.push_back({4, text(u"L-2"), text(u"East"), text(u"  Lee "), text(u"\u00c5sa"), text(u"a@b.c")});
  db.qualifications.push_back({int32_t{4}, text(u"Baton"), date(42364.35167824074), text(u" Range A"),
                               date(42730), true});
  db.training.push_back({int32_t{4}, text(u"First Aid"), date(-1.75), text(u"Hall "), date(2958465), true});
  runtest::writeSourceDb(f.source(), db);
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  const auto rows = runtest::readCertRows(f.cert(u"L-2"));
  ASSERT_EQ(rows.size(), 2u);
  const auto& q = rows[0];
  EXPECT_EQ(q.at(u"LName"), str(u"  Lee "));
  EXPECT_EQ(q.at(u"FName"), str(u"\u00c5sa"));
  EXPECT_EQ(q.at(u"Course"), str(u"Baton"));
  EXPECT_EQ(q.at(u"Date"), date(42364.35167824074));
  EXPECT_EQ(q.at(u"Location"), str(u" Range A"));
  EXPECT_EQ(q.at(u"Email"), str(u"a@b.c"));
  EXPECT_EQ(q.at(u"Expiration"), date(42730));
  EXPECT_EQ(q.at(u"LicenseNo"), str(u"L-2"));
  EXPECT_EQ(q.at(u"Licensee"), str(u"Agency Two"));
  EXPECT_EQ(q.at(u"Office"), str(u"East"));
  EXPECT_EQ(q.at(u"Type"), str(u"Q"));
  const auto& t = rows[1];
  EXPECT_EQ(t.at(u"Course"), str(u"First Aid"));
  EXPECT_EQ(t.at(u"Date"), date(-1.75));
  EXPECT_EQ(t.at(u"Location"), str(u"Hall "));
  EXPECT_EQ(t.at(u"Expiration"), date(2958465));
  EXPECT_EQ(t.at(u"Type"), str(u"T"));
}

TEST(Mapping, OfficeFallsBackToLicenseeOnlyWhenNullOrEmpty) {
  RunFixture f;
  runtest::SourceDb db;
  db.control.push_back({text(u"L-3"), text(u"Agency Three")});
  db.roster.push_back({1, text(u"L-3"), data::Value(), text(u"Null office"), {}, {}});
  db.roster.push_back({2, text(u"L-3"), text(u""), text(u"Empty office"), {}, {}});
  db.roster.push_back({3, text(u"L-3"), text(u" "), text(u"Blank office"), {}, {}});
  db.roster.push_back({4, text(u"L-3"), text(u"West"), text(u"West office"), {}, {}});
  for (int id = 1; id <= 4; ++id) db.qualifications.push_back({id, text(u"C"), {}, {}, {}, true});
  runtest::writeSourceDb(f.source(), db);
  f.runOver(f.source());
  EXPECT_TRUE(f.window.boxes.empty()) << f.boxesText();
  std::map<std::u16string, data::Value> office;
  for (const auto& row : runtest::readCertRows(f.cert(u"L-3"))) {
    office[row.at(u"LName").get<std::u16string>()] = row.at(u"Office");
  }
  ASSERT_EQ(office.size(), 4u);
  EXPECT_EQ(office[u"Null office"], str(u"Agency Three"));
  EXPECT_EQ(office[u"Empty office"], str(u"Agency Three"));
  EXPECT_EQ(office[u"Blank office"], str(u" "));
  EXPECT_EQ(office[u"West office"], str(u"West"));
}

TEST(Mapping, AStepThatFailsOnEveryRowIsReportedPerRowAndTheRowsAreStillSaved) {
  RunFixture f;
  runtest::writeSourceDb(f.source(), runtest::simpleSource(2, 1));
  {
    // A certificate table that lacks Email: that one step fails, the others fill the row.
    data::Catalog catalog;
    catalog.create(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + f.cert(u"L-1").u16string() +
                   u";Jet OLEDB:Engine Type=5;");
    data::Table table;
    table.setName(u"Tarvo_Certs");
    for (const char16_t* c : {u"LName", u"FName", u"Course", u"Location", u"LicenseNo", u"Office",
                              u"Licensee", u"Type"}) {
      table.columns().append(c, data::adVarWChar);
    }
    table.columns().append(u"Date", data::adDate);
    table.columns().append(u"Expiration", data::adDate);
    catalog.tables().append(table);
  }
  f.runOver(f.source());
  ASSERT_EQ(f.window.boxes.size(), 3u) << f.boxesText();
  for (const auto& box : f.window.boxes) {
    EXPECT_EQ(box.title, u"Error in cmdRUN");
    EXPECT_EQ(box.text.substr(0, 5), u"3265-");
  }
  const auto rows = runtest::readCertRows(f.cert(u"L-1"));
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) {
    EXPECT_EQ(row.count(u"Email"), 0u);
    EXPECT_EQ(row.at(u"Office"), str(u"North"));  // the steps after the failed one ran
    EXPECT_EQ(row.at(u"LicenseNo"), str(u"L-1"));
  }
}

}  // namespace
