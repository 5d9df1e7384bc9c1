// The Tarvo database generator: its rows fit its schema and cover the fill rules, it is
// deterministic, and its expected certificate rows are what the joins and the mapping give.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "tests/support/oracle.h"
#include "jet/read/database.h"
#include "jet/sql/executor.h"
#include "jet/sql/result_set.h"
#include "jet/util/unicode.h"
#include "tests/support/file_bytes.h"
#include "tests/support/paths.h"
#include "tools/tarvo_database.h"
#include "tools/tarvo_expected.h"
#include "tools/tarvo_model.h"

namespace ts = testsupport;
using testsupport::fileBytes;
using tools::CertRow;
using tools::Row;
using tools::TarvoModel;
using tools::TarvoOptions;

namespace {

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
  const std::string written = fileBytes(dir / "e.json");
  const auto doc = ts::Json::parse(written);
  const auto sample = ts::Json::parse(fileBytes(ts::sharedDir() / "corpus" / "generated" / "tarvo_sample.expected.json"));

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
  EXPECT_EQ(fileBytes(dir / "spilled.json"), written);
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

// ---- the written database, read back three ways -------------------------------------------

namespace {

// mdb-reader maps a Jet day count to a JavaScript date by plain arithmetic on the double
// (so its negative days differ from Jet's reading); this is that mapping.
std::string readerIso(double days) {
  const int64_t ms = std::llround(days * 86400000.0);
  int64_t day = ms / 86400000;
  if (ms % 86400000 < 0) --day;
  const int64_t rest = ms - day * 86400000;
  std::string s = tools::formatJetDate(static_cast<double>(day)).substr(0, 11);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(rest / 3600000),
                static_cast<int>(rest / 60000 % 60), static_cast<int>(rest / 1000 % 60));
  s += buf;
  if (rest % 1000) {
    std::snprintf(buf, sizeof buf, ".%03d", static_cast<int>(rest % 1000));
    s += buf;
  }
  return s;
}

// mdbtools 1.0 prints each half of a surrogate pair (a character beyond the BMP) as "?".
std::string asMdbExportPrints(std::u16string_view s) {
  std::u16string out;
  for (char16_t c : s) out += (c >= 0xD800 && c < 0xE000) ? u'?' : c;
  return jet::toUtf8(out);
}

double numberOf(const jet::Value& v) {
  if (const auto* x = v.getIf<int32_t>()) return *x;
  if (const auto* x = v.getIf<int16_t>()) return *x;
  if (const auto* x = v.getIf<uint8_t>()) return *x;
  if (const auto* x = v.getIf<double>()) return *x;
  if (const auto* x = v.getIf<jet::Currency>()) return static_cast<double>(x->scaled) / 10000.0;
  ADD_FAILURE() << "not a number";
  return 0;
}

void expectSameNumber(double got, double want) {
  EXPECT_NEAR(got, want, std::max(1e-9, std::fabs(want) * 1e-12));
}

struct Written {
  ts::TempDir dir;
  std::filesystem::path file;
  TarvoModel model;
  explicit Written(const TarvoOptions& o) : file(dir / "tarvo_test.mdb"), model(o) {
    tools::writeTarvoDatabase(model, file);
  }
};

}  // namespace

TEST(TarvoDatabase, OurReaderReadsBackEveryRow) {
  Written w({21, 300, 600, 600});
  const auto rows = allRows(w.model);
  auto db = jet::Database::open(w.file, tools::kTarvoPassword);
  EXPECT_TRUE(db.hasPassword());
  EXPECT_THROW(jet::Database::open(w.file, u"wrong"), jet::Error);
  ASSERT_EQ(db.tables().size(), 4u);
  bool longMemo = false;
  for (const auto& shape : tools::tarvoTables()) {
    SCOPED_TRACE(jet::toUtf8(shape.name));
    auto def = db.tableDef(shape.name);
    ASSERT_EQ(def->columns.size(), shape.columns.size());
    std::vector<size_t> positions;
    for (const auto& c : shape.columns) {
      size_t p = 0;
      while (p < def->columns.size() && def->columns[p].name != c.name) ++p;
      ASSERT_LT(p, def->columns.size()) << jet::toUtf8(c.name);
      EXPECT_EQ(def->columns[p].type, c.type);
      positions.push_back(p);
    }
    auto scan = db.scan(def, positions);
    size_t n = 0;
    const auto& want = rows.at(shape.name);
    for (; scan.next(); ++n) {
      ASSERT_LT(n, want.size());
      EXPECT_EQ(scan.values(), want[n]) << "row " << n;
      for (const auto& v : scan.values())
        if (const auto* s = v.getIf<std::u16string>(); s && s->size() > 4096) longMemo = true;
    }
    EXPECT_EQ(n, want.size());
  }
  EXPECT_TRUE(longMemo);  // the fixture holds a memo spread over several pages
}

TEST(TarvoDatabase, MdbExportAndMdbReaderAgreeWithTheModel) {
  Written w({22, 120, 300, 300});
  const auto rows = allRows(w.model);
  EXPECT_EQ(ts::mdbVer(w.file), "JET4");
  const auto names = ts::mdbTables(w.file);
  EXPECT_EQ(names, (std::vector<std::string>{"Control", "Roster", "Qualifications", "Training"}));

  ts::ReaderOptions options;
  options.password = jet::toUtf8(tools::kTarvoPassword);
  const auto dump = ts::mdbReaderDump(w.file, options);
  EXPECT_EQ(dump.password, jet::toUtf8(tools::kTarvoPassword));

  const auto schema = ts::mdbSchema(w.file);
  ASSERT_EQ(schema.size(), 4u);
  for (size_t t = 0; t < 4; ++t) {
    const auto& shape = tools::tarvoTables()[t];
    const std::string name = jet::toUtf8(shape.name);
    SCOPED_TRACE(name);
    EXPECT_EQ(schema[t].name, name);
    ASSERT_EQ(schema[t].columns.size(), shape.columns.size());
    for (size_t c = 0; c < shape.columns.size(); ++c) {
      EXPECT_EQ(schema[t].columns[c].name, jet::toUtf8(shape.columns[c].name));
      EXPECT_EQ(schema[t].columns[c].notNull, shape.columns[c].required);
      if (shape.columns[c].type == jet::ColumnType::Text) {
        EXPECT_EQ(schema[t].columns[c].type, "Text (" + std::to_string(shape.columns[c].maxLength) + ")");
      }
    }

    const auto csv = ts::mdbExport(w.file, name);
    const auto& reader = dump.table(name);
    const auto& want = rows.at(shape.name);
    EXPECT_TRUE(reader.error.empty()) << reader.error;
    ASSERT_EQ(csv.rows.size(), want.size());
    ASSERT_EQ(reader.rows.size(), want.size());
    EXPECT_EQ(reader.rowCount, static_cast<int64_t>(want.size()));
    std::vector<size_t> readerColumn;
    for (const auto& c : shape.columns) readerColumn.push_back(reader.column(jet::toUtf8(c.name)));
    for (size_t c = 0; c < shape.columns.size(); ++c)
      EXPECT_EQ(csv.header[c], jet::toUtf8(shape.columns[c].name));

    for (size_t r = 0; r < want.size(); ++r) {
      for (size_t c = 0; c < shape.columns.size(); ++c) {
        const jet::Value& v = want[r][c];
        const auto& text = csv.rows[r][c];
        const ts::Json& cell = reader.rows[r][readerColumn[c]];
        SCOPED_TRACE(jet::toUtf8(shape.columns[c].name) + " row " + std::to_string(r));
        if (v.isNull()) {
          EXPECT_EQ(text, std::nullopt);
          EXPECT_TRUE(cell.isNull());
          continue;
        }
        if (const auto* s = v.getIf<std::u16string>()) {
          // mdb-export prints the empty text like NULL.
          EXPECT_EQ(text.value_or(""), asMdbExportPrints(*s));
          EXPECT_EQ(text.has_value(), !s->empty());
          EXPECT_EQ(cell.asString(), jet::toUtf8(*s));
        } else if (const auto* d = v.getIf<jet::DateTime>()) {
          EXPECT_EQ(cell.asString(), readerIso(d->days));
          ASSERT_TRUE(text.has_value());
          // mdbtools 1.0 prints dates before 1900 and after 9998 as "1900-01-00".
          if (d->days >= tools::jetDays(1900, 1, 1) && d->days < tools::jetDays(9999, 1, 1)) {
            std::string iso = tools::formatJetDate(d->days);
            iso[10] = ' ';
            EXPECT_EQ(*text, iso);
          }
        } else if (const auto* b = v.getIf<bool>()) {
          EXPECT_EQ(text, *b ? "1" : "0");
          EXPECT_EQ(cell.asBool(), *b);
        } else {
          ASSERT_TRUE(text.has_value());
          expectSameNumber(std::stod(*text), numberOf(v));
          expectSameNumber(cell.isString() ? std::stod(cell.asString()) : cell.asNumber(), numberOf(v));
        }
      }
    }
  }
}

TEST(TarvoDatabase, ExpectedRowsOfAHandCheckedCase) {
  // Seed 4 with 6 people: worked through by hand from the printed rows. Person 1 has a Null
  // licence (its courses are left out), person 2 a Null Office (Office becomes the Licensee).
  const TarvoModel m({4, 6, 12, 12});
  const auto p1 = m.person(1);
  const auto p2 = m.person(2);
  ASSERT_TRUE(p1.license.isNull());
  ASSERT_TRUE(p2.office.isNull());
  for (int64_t n = 1; n <= 12; ++n) {
    const auto q = m.qualification(n);
    const auto cert = tools::qualificationCertRow(m, n);
    if (q.agentId == jet::Value(int32_t{1})) {
      EXPECT_FALSE(cert) << n;
    }
    if (cert && q.agentId == jet::Value(int32_t{2})) {
      EXPECT_EQ(cert->office, m.licensee()) << n;
    }
    if (!q.passed) {
      EXPECT_FALSE(cert) << n;
    }
  }
  const auto rows = modelCertRows(m);
  EXPECT_EQ(rows, joinByHand(m));
}

// The engine's own SQL, running the two extraction queries on the written file, finds
// exactly the rows the expected file lists (after the row mapping).
TEST(TarvoDatabase, ExtractionQueriesFindTheExpectedRows) {
  Written w({23, 150, 500, 500});
  auto db = jet::Database::open(w.file, tools::kTarvoPassword);
  const std::u16string tail =
      u" INNER JOIN Roster ON {t}.AgentID = Roster.ID) ON Control.License_Nbr = Roster.License WHERE {t}.PassFail = True";
  auto sql = [&](std::u16string_view table, std::u16string_view course, std::u16string_view date) {
    std::u16string t(table);
    std::u16string s = u"SELECT Control.Licensee, " + t + u"." + std::u16string(course) + u", " + t + u"." +
                       std::u16string(date) + u", " + t + u".Location, " + t +
                       u".Expiration, Roster.Office, Roster.LName, Roster.FName, Roster.Email, Roster.License "
                       u"FROM Control INNER JOIN (" + t + tail;
    for (size_t at; (at = s.find(u"{t}")) != std::u16string::npos;) s.replace(at, 3, t);
    return s;
  };
  auto copy = [](const jet::Value& v) { return v.isNull() ? std::u16string() : v.get<std::u16string>(); };
  auto date = [](const jet::Value& v) {
    return v.isNull() ? std::optional<double>() : std::optional<double>(v.get<jet::DateTime>().days);
  };
  std::multiset<std::string> found, expected;
  for (const auto& [table, course, day, type] :
       {std::tuple{u"Qualifications", u"Course", u"QualDate", u'Q'},
        std::tuple{u"Training", u"CourseName", u"CourseDate", u'T'}}) {
    const auto result = jet::sql::query(db, sql(table, course, day));
    ASSERT_EQ(result->columnCount(), 10u);
    for (size_t r = 0; r < result->rowCount(); ++r) {
      auto v = [&](size_t c) { return result->value(r, c); };
      CertRow row;
      row.licensee = copy(v(0));
      row.course = copy(v(1));
      row.date = date(v(2));
      row.location = copy(v(3));
      row.expiration = date(v(4));
      const jet::Value office = v(5);
      row.office = (office.isNull() || office.get<std::u16string>().empty()) ? row.licensee : copy(office);
      row.lname = copy(v(6));
      row.fname = copy(v(7));
      row.email = copy(v(8));
      row.licenseNo = copy(v(9));
      row.type = type;
      found.insert(tools::certRowJson(row));
    }
  }
  tools::forEachCertRow(w.model, [&](const CertRow& r) { expected.insert(tools::certRowJson(r)); });
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(found, expected);
}

TEST(MakeTarvoDb, CommandLineWritesBothFilesAndRefusesBadUsage) {
  const auto tool = (ts::buildDir() / "make-tarvo-db").string();
  ts::TempDir dir;
  const auto out = (dir / "tarvo_cli.mdb").string();
  const auto json = (dir / "tarvo_cli.json").string();
  const auto ok = ts::runTool({tool, out, "--seed", "9", "--people", "25", "--qualifications", "70",
                               "--trainings", "80", "--expected", json});
  ASSERT_EQ(ok.exitCode, 0) << ok.err;

  // The files are those the library writes for the same model.
  const TarvoModel m({9, 25, 70, 80});
  tools::writeExpectedJson(m, "tarvo_cli.mdb", dir / "lib.json");
  EXPECT_EQ(fileBytes(json), fileBytes(dir / "lib.json"));
  auto db = jet::Database::open(out, tools::kTarvoPassword);
  EXPECT_EQ(db.tables().size(), 4u);
  ts::ReaderOptions ro;
  ro.withRows = false;
  EXPECT_EQ(ts::mdbReaderDump(out, ro).table("Training").rowCount, 80);

  // A chosen password.
  const auto other = (dir / "pw.mdb").string();
  ASSERT_EQ(ts::runTool({tool, other, "--seed", "1", "--people", "2", "--qualifications", "0",
                         "--trainings", "0", "--password", "sesam"}).exitCode, 0);
  EXPECT_EQ(ts::mdbReaderDump(other, ro).password, "sesam");

  // Usage errors: exit code 2, a message naming the problem, no file left behind.
  const auto bad = (dir / "bad.mdb").string();
  for (const auto& [args, words] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{bad, "--seed", "1", "--people", "2", "--qualifications", "3"}, "--trainings"},
           {{bad, "--seed", "x", "--people", "2", "--qualifications", "3", "--trainings", "1"}, "--seed"},
           {{bad, "--seed", "1", "--people", "-2", "--qualifications", "3", "--trainings", "1"}, "--people"},
           {{bad, "--seed", "1", "--people", "2147483648", "--qualifications", "3", "--trainings", "1"}, "--people"},
           {{bad, "--seed", "1", "--people", "2", "--qualifications", "3", "--trainings", "1", "--colour"}, "--colour"},
           {{"--seed", "1", "--people", "2", "--qualifications", "3", "--trainings", "1"}, "output file"},
           {{bad, "--seed", "1", "--people", "2", "--qualifications", "3", "--trainings", "1", "--password",
             "123456789012345678901"}, "20 characters"}}) {
    std::vector<std::string> argv{tool};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto r = ts::runTool(argv);
    EXPECT_EQ(r.exitCode, 2) << words;
    EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(bad));
  }

  // An existing file is not overwritten.
  const auto before = fileBytes(out);
  const auto again = ts::runTool({tool, out, "--seed", "10", "--people", "1", "--qualifications", "1",
                                  "--trainings", "1"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("exists"), std::string::npos) << again.err;
  EXPECT_EQ(fileBytes(out), before);
}

// No people: every course is of someone not on the roster, so no certificate rows; the
// tables still exist, and the expected file has an empty row list.
TEST(TarvoDatabase, EmptyRosterGivesNoCertificateRows) {
  Written w({5, 0, 40, 40});
  ts::ReaderOptions ro;
  const auto dump = ts::mdbReaderDump(w.file, ro);
  EXPECT_TRUE(dump.table("Roster").rows.empty());
  EXPECT_EQ(dump.table("Qualifications").rows.size(), 40u);
  EXPECT_EQ(dump.table("Training").rows.size(), 40u);
  const auto counts = tools::writeExpectedJson(w.model, "tarvo_test.mdb", w.dir / "e.json");
  EXPECT_EQ(counts.qualificationRows + counts.trainingRows, 0);
  const auto doc = ts::Json::parse(fileBytes(w.dir / "e.json"));
  EXPECT_TRUE(doc["rows"].asArray().empty());
  EXPECT_EQ(doc["counts"]["roster"].asNumber(), 0);
}
