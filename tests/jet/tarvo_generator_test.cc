// The Tarvo database generator: its rows fit its schema and cover the fill rules, it is
// deterministic, and its expected certificate rows are what the joins and the mapping give.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/support/oracle.h"
#include "tests/support/paths.h"
#include "tools/tarvo_expected.h"
#include "tools/tarvo_model.h"

namespace ts = testsupport;
using tools::CertRow;
using tools::Row;
using tools::TarvoModel;
using tools::TarvoOptions;

namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::u16string* text(const jet::Value& v) { return v.getIf<std::u16string>(); }

bool hasNonAscii(std::u16string_view s) {
  for (char16_t c : s)
    if (c > 0x7F) return true;
  return false;
}

// Every row of every table, as stored.
std::map<std::u16string, std::vector<Row>> allRows(const TarvoModel& m) {
  std::map<std::u16string, std::vector<Row>> rows;
  rows[u"Control"].push_back(m.controlRow());
  for (int64_t i = 1; i <= m.options().people; ++i) rows[u"Roster"].push_back(m.person(i).row);
  for (int64_t i = 1; i <= m.options().qualifications; ++i) rows[u"Qualifications"].push_back(m.qualification(i).row);
  for (int64_t i = 1; i <= m.options().trainings; ++i) rows[u"Training"].push_back(m.training(i).row);
  return rows;
}

bool valueFits(const tools::ColumnSpec& c, const jet::Value& v) {
  if (v.isNull()) return !c.required;
  switch (c.type) {
    case jet::ColumnType::Text: return text(v) && static_cast<int>(text(v)->size()) <= c.maxLength;
    case jet::ColumnType::Memo: return text(v) != nullptr;
    case jet::ColumnType::Long: return v.is<int32_t>();
    case jet::ColumnType::Integer: return v.is<int16_t>();
    case jet::ColumnType::Byte: return v.is<uint8_t>();
    case jet::ColumnType::Boolean: return v.is<bool>();
    case jet::ColumnType::Double: return v.is<double>();
    case jet::ColumnType::Currency: return v.is<jet::Currency>();
    case jet::ColumnType::DateTime: return v.is<jet::DateTime>();
    default: return false;
  }
}

// The two queries and the mapping, worked out again from the stored rows alone (column
// positions from the schema), independently of the model's own join.
std::vector<CertRow> joinByHand(const TarvoModel& m) {
  auto rows = allRows(m);
  const auto& roster = tools::tarvoTable(u"Roster");
  const auto& control = rows[u"Control"].at(0);
  const auto licenseNbr = *text(control[tools::tarvoTable(u"Control").column(u"License_Nbr")]);
  const auto& licenseeValue = control[tools::tarvoTable(u"Control").column(u"Licensee")];
  std::map<int32_t, const Row*> byId;
  for (const auto& r : rows[u"Roster"]) byId[r[roster.column(u"ID")].get<int32_t>()] = &r;
  auto copy = [](const jet::Value& v) { return v.isNull() ? std::u16string() : *text(v); };
  auto date = [](const jet::Value& v) {
    return v.isNull() ? std::optional<double>() : std::optional<double>(v.get<jet::DateTime>().days);
  };
  std::vector<CertRow> out;
  for (const auto& [table, type, nameCol, dateCol] :
       {std::tuple{u"Qualifications", u'Q', u"Course", u"QualDate"},
        std::tuple{u"Training", u'T', u"CourseName", u"CourseDate"}}) {
    const auto& shape = tools::tarvoTable(table);
    for (const auto& c : rows[table]) {
      if (!c[shape.column(u"PassFail")].get<bool>()) continue;
      const auto& agent = c[shape.column(u"AgentID")];
      if (agent.isNull() || !byId.count(agent.get<int32_t>())) continue;
      const Row& p = *byId[agent.get<int32_t>()];
      const auto& license = p[roster.column(u"License")];
      if (license.isNull() || *text(license) != licenseNbr) continue;
      CertRow r;
      r.lname = copy(p[roster.column(u"LName")]);
      r.fname = copy(p[roster.column(u"FName")]);
      r.course = copy(c[shape.column(nameCol)]);
      r.date = date(c[shape.column(dateCol)]);
      r.location = copy(c[shape.column(u"Location")]);
      r.email = copy(p[roster.column(u"Email")]);
      r.expiration = date(c[shape.column(u"Expiration")]);
      r.licenseNo = copy(license);
      r.licensee = copy(licenseeValue);
      const auto& office = p[roster.column(u"Office")];
      r.office = (office.isNull() || text(office)->empty()) ? copy(licenseeValue) : *text(office);
      r.type = type;
      out.push_back(r);
    }
  }
  return out;
}

std::vector<CertRow> modelCertRows(const TarvoModel& m) {
  std::vector<CertRow> rows;
  tools::forEachCertRow(m, [&](const CertRow& r) { rows.push_back(r); });
  return rows;
}

}  // namespace

TEST(TarvoDates, JetDayCountsAndTheirText) {
  EXPECT_EQ(tools::jetDays(1899, 12, 30), 0.0);
  EXPECT_EQ(tools::jetDays(1900, 1, 1), 2.0);
  EXPECT_EQ(tools::jetDays(2000, 1, 1), 36526.0);
  EXPECT_EQ(tools::jetDays(2000, 2, 29), 36585.0);
  EXPECT_EQ(tools::jetDays(1899, 12, 30, 6), 0.25);
  EXPECT_EQ(tools::jetDays(1899, 12, 29, 18), -1.75);  // negative day, negative time fraction
  EXPECT_EQ(tools::formatJetDate(-1.75), "1899-12-29T18:00:00");
  EXPECT_EQ(tools::formatJetDate(36585.5), "2000-02-29T12:00:00");
  EXPECT_EQ(tools::formatJetDate(2958465.0), "9999-12-31T00:00:00");
  EXPECT_EQ(tools::formatJetDate(-657434.0), "0100-01-01T00:00:00");
  // 23:59:59.9996 rounds into the next day rather than printing 24:00:00.
  EXPECT_EQ(tools::formatJetDate(36526.0 - 0.0004 / 86400.0), "2000-01-01T00:00:00");
  for (int y : {100, 1753, 1899, 1900, 1999, 2024, 9999})
    for (int h : {0, 7, 23}) {
      const double d = tools::jetDays(y, 3, 1, h, 59, 58);
      char want[32];
      std::snprintf(want, sizeof want, "%04d-03-01T%02d:59:58", y, h);
      EXPECT_EQ(tools::formatJetDate(d), want) << d;
    }
}

TEST(TarvoModel, RowsFitTheSchemaAndAreDeterministic) {
  const TarvoModel m({7, 400, 1500, 1500});
  const auto rows = allRows(m);
  ASSERT_EQ(rows.size(), tools::tarvoTables().size());
  for (const auto& shape : tools::tarvoTables()) {
    SCOPED_TRACE(std::string(shape.name.begin(), shape.name.end()));
    for (const auto& r : rows.at(shape.name)) {
      ASSERT_EQ(r.size(), shape.columns.size());
      for (size_t c = 0; c < r.size(); ++c)
        EXPECT_TRUE(valueFits(shape.columns[c], r[c])) << "column " << c;
    }
  }
  // Keys are 1..n in order, as an autonumber hands them out.
  for (size_t i = 0; i < rows.at(u"Roster").size(); ++i) EXPECT_EQ(rows.at(u"Roster")[i][0], jet::Value(int32_t(i + 1)));

  // Same seed, same rows; a roster row does not depend on how many rows the tables hold.
  const TarvoModel again({7, 400, 1500, 1500});
  EXPECT_EQ(allRows(again), rows);
  const TarvoModel bigger({7, 900, 10, 10});
  for (int64_t id : {1, 17, 400}) EXPECT_EQ(bigger.person(id).row, m.person(id).row);
  const TarvoModel other({8, 400, 1500, 1500});
  EXPECT_NE(allRows(other), rows);
  EXPECT_THROW(TarvoModel({1, -1, 0, 0}), std::invalid_argument);
  EXPECT_THROW(TarvoModel({1, 0, int64_t{1} << 31, 0}), std::invalid_argument);
}

TEST(TarvoModel, FillCoversTheCasesTheExtractionMustHandle) {
  const TarvoModel m({3, 300, 2000, 2000});
  const auto rows = allRows(m);
  const auto& roster = tools::tarvoTable(u"Roster");

  // A Null in every nullable column of every table (Control has one row and no Nulls).
  for (const auto& shape : tools::tarvoTables()) {
    if (shape.name == u"Control") continue;
    for (size_t c = 0; c < shape.columns.size(); ++c) {
      if (shape.columns[c].required || shape.columns[c].autoNumber) continue;
      bool sawNull = false;
      for (const auto& r : rows.at(shape.name)) sawNull |= r[c].isNull();
      EXPECT_TRUE(sawNull) << std::string(shape.name.begin(), shape.name.end()) << " column " << c;
    }
  }

  std::set<std::string> seen;
  for (const auto& r : rows.at(u"Roster")) {
    const auto& office = r[roster.column(u"Office")];
    if (office.isNull()) seen.insert("office null");
    else if (text(office)->empty()) seen.insert("office empty");
    else if (text(office)->find_first_not_of(u' ') == std::u16string::npos) seen.insert("office blank");
    const auto& license = r[roster.column(u"License")];
    if (license.isNull()) seen.insert("license null");
    else if (*text(license) != m.licenseNumber()) seen.insert("other license");
    for (const char16_t* col : {u"LName", u"FName"}) {
      const auto* s = text(r[roster.column(col)]);
      if (!s || s->empty()) continue;
      if (s->front() == u' ') seen.insert("leading blank");
      if (s->back() == u' ') seen.insert("trailing blank");
      if (hasNonAscii(*s)) seen.insert("non-ascii name");
      for (char16_t ch : *s)
        if (ch >= 0xD800 && ch < 0xDC00) seen.insert("surrogate pair");
    }
    const auto* notes = text(r[roster.column(u"Notes")]);
    if (notes && notes->empty()) seen.insert("empty memo");
    if (notes && notes->size() > 4096) seen.insert("long memo");
  }
  for (const auto* table : {u"Qualifications", u"Training"}) {
    const auto& shape = tools::tarvoTable(table);
    for (const auto& r : rows.at(table)) {
      seen.insert(r[shape.column(u"PassFail")].get<bool>() ? "passed" : "failed");
      const auto& agent = r[shape.column(u"AgentID")];
      if (!agent.isNull() && !m.onRoster(agent)) seen.insert("not on roster");
      for (const char16_t* col : {u"Expiration", shape.columns[3].name.c_str()}) {
        const auto* d = r[shape.column(col)].getIf<jet::DateTime>();
        if (d && d->days < 0) seen.insert("before 1899-12-30");
        if (d && d->days >= tools::jetDays(9999, 12, 31)) seen.insert("year 9999");
      }
    }
  }
  for (const char* want : {"office null", "office empty", "office blank", "license null", "other license",
                           "leading blank", "trailing blank", "non-ascii name", "surrogate pair",
                           "empty memo", "long memo", "passed", "failed", "not on roster",
                           "before 1899-12-30", "year 9999"})
    EXPECT_TRUE(seen.count(want)) << want;
}

// The model's certificate rows equal an independent join of the stored rows, and each rule
// shows in them: Office from Licensee only for a Null or empty Office, blanks kept, left-out
// rows really missing.
TEST(TarvoExpected, CertRowsFollowTheJoinsAndTheMapping) {
  const TarvoModel m({11, 60, 400, 400});
  const auto rows = modelCertRows(m);
  EXPECT_EQ(rows, joinByHand(m));
  ASSERT_FALSE(rows.empty());

  bool officeFromLicensee = false, blankOfficeKept = false;
  for (int64_t n = 1; n <= m.options().qualifications; ++n) {
    const auto q = m.qualification(n);
    const auto cert = tools::qualificationCertRow(m, n);
    if (!q.passed || !m.onRoster(q.agentId)) {
      EXPECT_FALSE(cert) << n;
      continue;
    }
    const auto p = m.person(q.agentId.get<int32_t>());
    if (p.license != jet::Value(m.licenseNumber())) {
      EXPECT_FALSE(cert) << n;
      continue;
    }
    ASSERT_TRUE(cert) << n;
    EXPECT_EQ(cert->type, u'Q');
    EXPECT_EQ(cert->lname, p.lname.isNull() ? u"" : p.lname.get<std::u16string>());
    EXPECT_EQ(cert->date.has_value(), !q.date.isNull());
    if (p.office.isNull() || p.office.get<std::u16string>().empty()) {
      EXPECT_EQ(cert->office, m.licensee());
      officeFromLicensee = true;
    } else {
      EXPECT_EQ(cert->office, p.office.get<std::u16string>());
      blankOfficeKept |= cert->office.find_first_not_of(u' ') == std::u16string::npos;
    }
  }
  EXPECT_TRUE(officeFromLicensee);
  EXPECT_TRUE(blankOfficeKept);
  for (const auto& r : rows) EXPECT_EQ(r.licenseNo, m.licenseNumber());
}

TEST(TarvoExpected, JsonFileHasTheSampleShapeAndSortsCanonically) {
  ts::TempDir dir;
  const TarvoModel m({5, 80, 300, 300});
  const auto counts = tools::writeExpectedJson(m, "tarvo_test.mdb", dir / "e.json");
  const std::string written = slurp(dir / "e.json");
  const auto doc = ts::Json::parse(written);
  const auto sample = ts::Json::parse(slurp(ts::sharedDir() / "corpus" / "generated" / "tarvo_sample.expected.json"));

  // The same members in the same order, the same column list and order note.
  std::vector<std::string> keys, sampleKeys;
  for (const auto& [k, v] : doc.asObject()) keys.push_back(k);
  for (const auto& [k, v] : sample.asObject()) sampleKeys.push_back(k);
  EXPECT_EQ(keys, sampleKeys);
  for (const auto* k : {"columns", "order"}) {
    EXPECT_EQ(doc[k].isString() ? doc[k].asString() : "", sample[k].isString() ? sample[k].asString() : "");
  }
  ASSERT_EQ(doc["columns"].asArray().size(), sample["columns"].asArray().size());
  for (size_t i = 0; i < doc["columns"].asArray().size(); ++i)
    EXPECT_EQ(doc["columns"].asArray()[i].asString(), sample["columns"].asArray()[i].asString());

  EXPECT_EQ(doc["source"].asString(), "tarvo_test.mdb");
  EXPECT_EQ(doc["seed"].asNumber(), 5);
  EXPECT_EQ(doc["counts"]["roster"].asNumber(), 80);
  EXPECT_EQ(doc["counts"]["qualifications"].asNumber(), 300);
  EXPECT_EQ(doc["counts"]["training"].asNumber(), 300);
  EXPECT_EQ(doc["control"]["License_Nbr"].asString(), tools::toUtf8(m.licenseNumber()));
  EXPECT_EQ(doc["control"]["Licensee"].asString(), tools::toUtf8(m.licensee()));

  // Rows: the counts add up, Q before T, every row parses back to a model row.
  const auto& rows = doc["rows"].asArray();
  EXPECT_EQ(doc["counts"]["qualificationCertRows"].asNumber(), counts.qualificationRows);
  EXPECT_EQ(doc["counts"]["trainingCertRows"].asNumber(), counts.trainingRows);
  ASSERT_EQ(static_cast<int64_t>(rows.size()), counts.qualificationRows + counts.trainingRows);
  std::multiset<std::string> fromModel, fromFile;
  tools::forEachCertRow(m, [&](const CertRow& r) { fromModel.insert(tools::certRowJson(r)); });
  for (size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i]["Type"].asString(), i < static_cast<size_t>(counts.qualificationRows) ? "Q" : "T");
  // Each line of the file is a model row's JSON text, byte for byte, in sorted order.
  std::istringstream lines(written);
  std::vector<std::string> rowLines;
  for (std::string l; std::getline(lines, l);)
    if (l.rfind("    {\"LName\"", 0) == 0) rowLines.push_back(l.substr(4, l.back() == ',' ? l.size() - 5 : std::string::npos));
  ASSERT_EQ(rowLines.size(), rows.size());
  for (size_t i = 0; i < rowLines.size(); ++i) {
    fromFile.insert(rowLines[i]);
    // Within one Type (the last member of the line) the lines ascend.
    if (i > 0 && rowLines[i - 1][rowLines[i - 1].size() - 3] == rowLines[i][rowLines[i].size() - 3]) {
      EXPECT_LE(rowLines[i - 1], rowLines[i]);
    }
  }
  EXPECT_EQ(fromFile, fromModel);

  // Spilling sorted runs to disk gives the same bytes as sorting in memory, and leaves no
  // temporary files behind.
  tools::writeExpectedJson(m, "tarvo_test.mdb", dir / "spilled.json", 2048);
  EXPECT_EQ(slurp(dir / "spilled.json"), written);
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2u);
}

TEST(TarvoExpected, JsonTextEscapesAndKeepsUnicode) {
  EXPECT_EQ(tools::jsonString(u"a\"b\\c\td\r\n\x01"), "\"a\\\"b\\\\c\\td\\r\\n\\u0001\"");
  EXPECT_EQ(tools::jsonString(u"Zürich \U00020BB7"), "\"Z\xC3\xBCrich \xF0\xA0\xAE\xB7\"");
  // What the writer escapes, the parser reads back unchanged.
  const std::u16string tricky = u"  O'Brien \"Jr.\" \\ 李\t ";
  EXPECT_EQ(ts::Json::parse(tools::jsonString(tricky)).asString(), tools::toUtf8(tricky));
  CertRow r;
  r.lname = tricky;
  r.date = tools::jetDays(1899, 12, 29, 18);
  const auto parsed = ts::Json::parse(tools::certRowJson(r));
  EXPECT_EQ(parsed["LName"].asString(), tools::toUtf8(tricky));
  EXPECT_EQ(parsed["Date"].asString(), "1899-12-29T18:00:00");
  EXPECT_TRUE(parsed["Expiration"].isNull());
  EXPECT_EQ(parsed["Type"].asString(), "Q");
}
