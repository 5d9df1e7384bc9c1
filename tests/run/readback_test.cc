// A whole run over the generated Tarvo sample, its certificate file read back by two
// independent readers and compared with the expected certificate rows. The same for the
// Windows batch program under Wine, when the Windows suite names it in TARVO_WINDOWS_BATCH.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tests/run/run_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/oracle.h"
#include "tools/tarvo_model.h"

namespace {

namespace fs = std::filesystem;
namespace ts = testsupport;
using runtest::RunFixture;

constexpr const char* kColumns[] = {"LName", "FName",     "Course", "Date",     "Location", "Email",
                                    "Expiration", "LicenseNo", "Office", "Licensee", "Type"};

bool isDate(const std::string& column) { return column == "Date" || column == "Expiration"; }

enum class Reader { MdbExport, MdbReader };

// How each reader prints a stored date, given as "YYYY-MM-DD HH:MM:SS". Both have known
// faults before 1899-12-30, where Jet counts the days down but the time of day up:
// mdb-export prints "1900-01-00 00:00:00" for any date before 1899-12-30 (and in 9999), and mdb-reader reads
// the day count as a plain offset (-1.75, 1899-12-29 18:00, comes out as 1899-12-28 06:00).
std::string asPrinted(const std::string& text, Reader reader) {
  if (reader == Reader::MdbExport) return text < "1899-12-30" || text >= "9999" ? "1900-01-00 00:00:00" : text;
  if (text >= "1899-12-30") return text;
  int y, mo, d, h, mi, se;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &se);
  const double days = tools::jetDays(y, mo, d, h, mi, se);
  if (days >= 0) return text;
  const double whole = std::floor(days), fraction = days - whole;
  std::string shown = tools::formatJetDate(fraction > 0 ? whole - fraction : days);
  shown[10] = ' ';
  return shown;
}

// One row as comparable text; `emptyIsNull` for mdb-export, which prints both alike.
std::string key(const std::vector<std::optional<std::string>>& cells, bool emptyIsNull) {
  std::string k;
  for (const auto& c : cells) {
    k += !c || (emptyIsNull && c->empty()) ? std::string("\x01NULL") : *c;
    k += '\x1f';
  }
  return k;
}

struct Expected {
  std::vector<std::string> q, t;  // keys
  std::string licence;
};

Expected expectedRows(Reader reader) {
  const bool emptyIsNull = reader == Reader::MdbExport;
  std::ifstream in(ts::sharedDir() / "corpus/generated/tarvo_sample.expected.json");
  const auto json = ts::Json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
  Expected e;
  e.licence = json["control"]["License_Nbr"].asString();
  for (const auto& row : json["rows"].asArray()) {
    std::vector<std::optional<std::string>> cells;
    for (const char* c : kColumns) {
      const auto& v = row[c];
      cells.push_back(v.isNull() ? std::nullopt : std::optional(v.asString()));
      if (cells.back() && isDate(c)) (*cells.back())[10] = ' ', *cells.back() = asPrinted(*cells.back(), reader);
    }
    (row["Type"].asString() == "Q" ? e.q : e.t).push_back(key(cells, emptyIsNull));
  }
  std::sort(e.q.begin(), e.q.end());
  std::sort(e.t.begin(), e.t.end());
  return e;
}

// Splits the stored rows into the leading Q rows and the T rows after them; a Q after a
// T fails the order check.
void compare(const std::vector<std::pair<std::string, std::string>>& typedKeys, const Expected& e) {
  std::vector<std::string> q, t;
  bool sawT = false;
  for (const auto& [type, k] : typedKeys) {
    if (type == "T") sawT = true;
    EXPECT_FALSE(type == "Q" && sawT) << "a Q row after a T row";
    (type == "Q" ? q : t).push_back(k);
  }
  std::sort(q.begin(), q.end());
  std::sort(t.begin(), t.end());
  auto missing = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> d;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(d));
    return d;
  };
  EXPECT_EQ(missing(q, e.q), std::vector<std::string>{}) << "stored but not expected";
  EXPECT_EQ(missing(e.q, q), std::vector<std::string>{}) << "expected but not stored";
  EXPECT_EQ(missing(t, e.t), std::vector<std::string>{}) << "stored but not expected";
  EXPECT_EQ(missing(e.t, t), std::vector<std::string>{}) << "expected but not stored";
}


void mdbExportSeesTheExpectedRows(const fs::path& certFile) {
  const auto csv = ts::mdbExport(certFile, "Tarvo_Certs");
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& r : csv.rows) {
    std::vector<std::optional<std::string>> cells;
    for (const char* c : kColumns) cells.push_back(r[csv.column(c)]);
    rows.push_back({cells.back().value_or(""), key(cells, true)});
  }
  compare(rows, expectedRows(Reader::MdbExport));
  ASSERT_EQ(csv.header.size(), 12u);
  EXPECT_EQ(csv.header[0], "RecID");
  for (size_t i = 0; i < 11; ++i) EXPECT_EQ(csv.header[i + 1], kColumns[i]);
}

void mdbReaderSeesTheExpectedRowsAndSchema(const fs::path& certFile) {
  const auto dump = ts::mdbReaderDump(certFile);
  ASSERT_EQ(dump.tables.size(), 1u);
  const auto& table = dump.table("Tarvo_Certs");
  ASSERT_TRUE(table.error.empty()) << table.error;
  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& r : table.rows) {
    std::vector<std::optional<std::string>> cells;
    for (const char* c : kColumns) {
      const auto& v = r[table.column(c)];
      if (v.isNull()) {
        cells.push_back(std::nullopt);
      } else {
        std::string s = v.asString();
        if (isDate(c)) s = s.substr(0, 19), s[10] = ' ';
        cells.push_back(s);
      }
    }
    rows.push_back({cells.back().value_or(""), key(cells, false)});
  }
  compare(rows, expectedRows(Reader::MdbReader));
  ASSERT_EQ(table.columns.size(), 12u);
  EXPECT_EQ(table.columns[0].name, "RecID");
  EXPECT_TRUE(table.columns[0].autoLong);
  for (size_t i = 0; i < 11; ++i) {
    EXPECT_EQ(table.columns[i + 1].name, kColumns[i]);
    EXPECT_EQ(table.columns[i + 1].type, isDate(kColumns[i]) ? "datetime" : "text") << kColumns[i];
  }
}

class ReadBack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixture = new RunFixture;
    fixture->runOver(fixture->copyGenerated("tarvo_sample.mdb", fixture->source("tarvo_sample.mdb")));
  }
  static void TearDownTestSuite() {
    delete fixture;
    fixture = nullptr;
  }
  static fs::path certFile() {
    const std::string licence = expectedRows(Reader::MdbReader).licence;
    return fixture->cert(std::u16string(licence.begin(), licence.end()));
  }
  static RunFixture* fixture;
};
RunFixture* ReadBack::fixture = nullptr;

TEST_F(ReadBack, TheRunShowedNoMessage) { EXPECT_TRUE(fixture->window.boxes.empty()) << fixture->boxesText(); }
TEST_F(ReadBack, MdbExportSeesTheExpectedRows) { mdbExportSeesTheExpectedRows(certFile()); }
TEST_F(ReadBack, MdbReaderSeesTheExpectedRowsAndSchema) { mdbReaderSeesTheExpectedRowsAndSchema(certFile()); }

// The Windows batch program run by Wine, with the source and the output folder named with
// letters outside ASCII, as on a Windows desktop such as C:\Users\Zoë\Desktop.
std::string windowsPath(const fs::path& path) {
  std::string p = "Z:" + path.string();
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

ts::ToolResult runWindowsBatch(const fs::path& source, const fs::path& outDir) {
  return ts::runTool({"wine", std::getenv("TARVO_WINDOWS_BATCH"), windowsPath(source), "--out-dir",
                      windowsPath(outDir)});
}

TEST(WindowsBatch, AFolderNamedInAnyLanguageGetsTheExpectedRowsAndAWrongPasswordFails) {
  if (std::getenv("TARVO_WINDOWS_BATCH") == nullptr) GTEST_SKIP() << "run by the Windows suite";
  RunFixture f;
  const fs::path folder = f.dir / "Zoë Tarvo";
  const fs::path out = folder / "Sertifikaatit ÄÖ";
  fs::create_directories(out);
  const fs::path source = f.copyGenerated("tarvo_sample.mdb", folder / "tarvo_sample.mdb");
  const auto sourceBytes = ts::fileBytes(source);
  const auto r = runWindowsBatch(source, out);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("File Located in: " + windowsPath(out) + "\r\n"), std::string::npos) << r.out;
  const std::string licence = expectedRows(Reader::MdbReader).licence;
  const fs::path cert = out / (licence + ".mdb");
  ASSERT_TRUE(fs::exists(cert)) << r.out;
  mdbExportSeesTheExpectedRows(cert);
  mdbReaderSeesTheExpectedRowsAndSchema(cert);
  EXPECT_EQ(ts::fileBytes(source), sourceBytes);

  const fs::path locked = folder / "tarvo_other.mdb";
  runtest::writeSourceDb(locked, runtest::simpleSource(1, 1), u"another password");
  const auto wrong = runWindowsBatch(locked, out);
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_EQ(wrong.err.rfind("Error in cmdRUN: ", 0), 0u) << wrong.err;
}

}  // namespace
