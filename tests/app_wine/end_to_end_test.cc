// The Windows window program under Wine in a virtual display: START, the Windows path of a
// generated source typed into the file dialog, EXIT. The certificate file it writes beside
// itself, in a folder with a non-ASCII name, is read back on Linux with jetdump and
// mdb-export and must hold exactly the generator's expected rows. The window after the
// run is kept as end_to_end_windows.png in the build directory.
//
// The Windows build is named by $TARVO_WINDOWS_BUILD (scripts/test sets it once that build
// is made); without it, or without tarvo-extractor.exe there, the test is skipped. The
// installer's test takes the MSI that scripts/build-windows made, named by $TARVO_WINDOWS_MSI.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace {

namespace fs = std::filesystem;
namespace ts = testsupport;

using Row = std::vector<std::optional<std::string>>;
const char* const kColumns[] = {"LName",    "FName",      "Course",    "Date",
                                "Location", "Email",      "Expiration", "LicenseNo",
                                "Office",   "Licensee",   "Type"};

fs::path windowsBuild() {
  const char* dir = std::getenv("TARVO_WINDOWS_BUILD");
  return dir && *dir ? fs::path(dir) : fs::path();
}

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// "Z:\tmp\...": how Wine shows a Linux path.
std::string windowsPath(const fs::path& path) {
  std::string text = "Z:" + fs::absolute(path).string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// mdb-export prints the empty text like Null, a character beyond the 16-bit range as "??"
// (one "?" per surrogate) and dates within days of 1899-12-30 wrongly ("1900-01-00"), so
// rows compared with its output drop those differences; jetdump's rows check the dates.
std::vector<Row> sorted(std::vector<Row> rows, bool asMdbExportPrints = false) {
  for (Row& row : rows)
    for (auto& cell : row) {
      if (!asMdbExportPrints || !cell) continue;
      if (&cell == &row[3] || &cell == &row[6]) {  // Date, Expiration
        cell.reset();
        continue;
      }
      std::string text;
      for (std::size_t i = 0; i < cell->size(); ++i) {
        if ((static_cast<unsigned char>((*cell)[i]) & 0xF8) == 0xF0) {
          text += "??";
          i += 3;
        } else {
          text += (*cell)[i];
        }
      }
      if (text.empty()) cell.reset(); else *cell = text;
    }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<Row> rowsOf(const ts::CsvTable& table) {
  std::vector<Row> rows;
  for (const auto& r : table.rows) {
    Row row;
    for (const char* name : kColumns) row.push_back(r[table.column(name)]);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string show(const Row& row) {
  std::string out;
  for (const auto& cell : row) out += (cell ? "\"" + *cell + "\"" : std::string("Null")) + " ";
  return out;
}

// Equal lists, or the first row where they part.
::testing::AssertionResult sameRows(const std::vector<Row>& got, const std::vector<Row>& want) {
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    if (got[i] != want[i])
      return ::testing::AssertionFailure() << "row " << i << "\n got:  " << show(got[i])
                                           << "\n want: " << show(want[i]);
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " rows, want " << want.size();
  return ::testing::AssertionSuccess();
}

// The generator's expected certificate rows, as the readers print them.
std::vector<Row> expectedRows(const ts::Json& expected) {
  std::vector<Row> want;
  for (const ts::Json& row : expected["rows"].asArray()) {
    Row cells;
    for (const char* name : kColumns) {
      if (row[name].isNull()) {
        cells.push_back(std::nullopt);
        continue;
      }
      std::string text = row[name].asString();
      if (std::string_view(name) == "Date" || std::string_view(name) == "Expiration")
        text[10] = ' ';  // "yyyy-mm-ddThh:mm:ss" as the readers print it
      cells.push_back(text);
    }
    want.push_back(std::move(cells));
  }
  return want;
}

// Our reader, one JSON object a row, in the order the rows were written.
std::vector<Row> rowsByJetdump(const fs::path& cert) {
  std::vector<Row> written;
  std::istringstream dump(ts::runToolChecked({(ts::buildDir() / "jetdump").string(),
                                              cert.string(), "--table", "Tarvo_Certs",
                                              "--format", "json"}));
  for (std::string line; std::getline(dump, line);) {
    const ts::Json row = ts::Json::parse(line);
    Row cells;
    for (const char* name : kColumns)
      cells.push_back(row[name].isNull() ? std::nullopt : std::optional(row[name].asString()));
    written.push_back(std::move(cells));
  }
  return written;
}

TEST(WineEndToEnd, StartPickTheDatabaseAndGetTheCertificateFileBesideTheExe) {
  const fs::path exe = windowsBuild() / "tarvo-extractor.exe";
  if (windowsBuild().empty() || !fs::exists(exe))
    GTEST_SKIP() << "no Windows build (TARVO_WINDOWS_BUILD=" << windowsBuild() << ")";
  ts::TempDir dir;
  const fs::path program = dir.path() / "Tarvo Zo\u00eb";
  fs::create_directories(program);
  fs::copy_file(exe, program / "tarvo-extractor.exe");
  const fs::path source = dir.path() / "tarvo_e2e.mdb";
  const fs::path expectedFile = dir.path() / "expected.json";
  ts::runToolChecked({(ts::buildDir() / "make-tarvo-db").string(), source.string(), "--seed",
                      "11", "--people", "30", "--qualifications", "80", "--trainings", "60",
                      "--expected", expectedFile.string()});
  const ts::Json expected = ts::Json::parse(readAll(expectedFile));
  const fs::path cert =
      program / (expected["control"]["License_Nbr"].asString() + ".mdb");

  const fs::path shot = ts::buildDir() / "end_to_end_windows.png";
  const fs::path log = ts::buildDir() / "end_to_end_windows.log";
  fs::remove(log);
  const std::string prefix = "WINEPREFIX=" + (ts::buildDir() / "wine-end-to-end").string();
  const auto r = ts::runTool(
      {"env", prefix, "xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -dpi 96",
       (ts::sourceDir() / "tests/app_wine/end_to_end.sh").string(),
       (program / "tarvo-extractor.exe").string(), windowsPath(source), cert.string(),
       shot.string(), log.string()});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err << readAll(log);
  EXPECT_EQ(r.out.find("BOX:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("EXITED"), std::string::npos) << "EXIT did not end the program\n" << r.out;
  ASSERT_TRUE(fs::is_regular_file(cert)) << r.out << readAll(log);
  EXPECT_TRUE(fs::is_regular_file(shot));

  const std::vector<Row> want = expectedRows(expected);

  // Our reader, in the order the rows were written.
  const std::vector<Row> written = rowsByJetdump(cert);
  ASSERT_EQ(written.size(), want.size());
  // Qualification rows first.
  EXPECT_TRUE(std::is_partitioned(written.begin(), written.end(),
                                  [](const Row& row) { return row.back() == "Q"; }));
  EXPECT_TRUE(sameRows(sorted(written), sorted(want)));
  // mdbtools, which knows nothing of our engine.
  const std::vector<Row> exported = sorted(rowsOf(ts::mdbExport(cert, "Tarvo_Certs")), true);
  EXPECT_TRUE(sameRows(exported, sorted(want, true)));
}

// The installer as IT staff deploy it (installer.sh): per user into the user's own programs
// folder, with a Start menu entry and one entry in the list of installed programs; the
// installed batch program writes its certificate file beside itself; a later version
// replaces this one; the uninstall removes the programs and keeps the certificate file.
TEST(WineEndToEnd, TheInstallerPutsTheProgramsInTheUsersFolderAndTheUninstallKeepsTheCertificate) {
  const char* installer = std::getenv("TARVO_WINDOWS_MSI");
  const fs::path msi = installer ? installer : "";
  if (msi.empty() || !fs::exists(msi)) GTEST_SKIP() << "no installer (TARVO_WINDOWS_MSI=" << msi << ")";
  ts::TempDir dir;
  const fs::path source = dir.path() / "tarvo_msi.mdb";
  const fs::path expectedFile = dir.path() / "expected.json";
  ts::runToolChecked({(ts::buildDir() / "make-tarvo-db").string(), source.string(), "--seed=12",
                      "--people=12", "--qualifications=30", "--trainings=20", "--expected", expectedFile.string()});
  const ts::Json expected = ts::Json::parse(readAll(expectedFile));
  const fs::path log = ts::buildDir() / "installer_windows.log";
  fs::remove(log);
  const auto r = ts::runTool({"env", "WINEPREFIX=" + (dir.path() / "prefix").string(),
                              (ts::sourceDir() / "tests/app_wine/installer.sh").string(), windowsPath(msi),
                              (ts::sourceDir() / "packaging/tarvo-extractor.wxs").string(),
                              (windowsBuild() / "package").string(), windowsPath(source), log.string()});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err << readAll(log);
  auto said = [&](const std::string& key) {
    std::vector<std::string> values;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind(key + " ", 0) == 0) values.push_back(line.substr(key.size() + 1));
    return values;
  };
  ASSERT_EQ(said("INSTALLED").size(), 1u) << r.out;
  const fs::path folder = said("INSTALLED")[0];
  EXPECT_NE(folder.string().find("/AppData/Local/Programs/Tarvo Extractor"), std::string::npos) << folder;
  EXPECT_EQ(said("SHORTCUT"), std::vector<std::string>{"yes"});
  EXPECT_EQ(said("LISTED"), (std::vector<std::string>{"1", "1", "0"})) << "installed, upgraded, removed";
  EXPECT_EQ(said("RUN"), std::vector<std::string>{"0"}) << readAll(log);
  const std::string cert = expected["control"]["License_Nbr"].asString() + ".mdb";
  EXPECT_EQ(said("LEFT"), std::vector<std::string>{cert + " "}) << "only the certificate file stays";
  ASSERT_TRUE(fs::is_regular_file(folder / cert));
  EXPECT_TRUE(sameRows(sorted(rowsByJetdump(folder / cert)), sorted(expectedRows(expected))));
}

}  // namespace
