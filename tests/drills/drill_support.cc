#include "tests/drills/drill_support.h"

#include <random>

#include <gtest/gtest.h>

#include <fstream>

#include "jet/read/database.h"
#include "jet/util/unicode.h"
#include "tests/support/oracle.h"
#include "tools/dump_format.h"

namespace drills {

namespace fs = std::filesystem;

namespace {

const char* const kCertColumns[] = {"LName", "FName",     "Course", "Date",     "Location", "Email",
                                    "Expiration", "LicenseNo", "Office", "Licensee", "Type"};

fs::path expectedFile() { return testsupport::sharedDir() / "corpus" / "generated" / "tarvo_sample.expected.json"; }

}  // namespace

fs::path sampleSource() { return testsupport::sharedDir() / "corpus" / "generated" / "tarvo_sample.mdb"; }

fs::path batchProgram() { return testsupport::buildDir() / "tarvo-extractor-batch"; }

std::string licenceNumber() {
  auto json = testsupport::Json::parse(fileBytes(expectedFile()));
  return json["control"]["License_Nbr"].asString();
}

void writeBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

ChildResult runBatch(const fs::path& source, const fs::path& outDir, const ChildOptions& options) {
  return runChild({batchProgram().string(), source.string(), "--out-dir", outDir.string()}, options);
}

void expectOrderlyEnd(const ChildResult& r) {
  EXPECT_FALSE(r.hung) << "no end after " << r.elapsed.count() / 1000 << " ms\n" << r.err;
  EXPECT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.err;
  // 0: no message; 1: messages shown. Anything else is a crash or a refused command line.
  EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << "exit status " << r.exitCode << "\n" << r.err;
  for (const char* sign : {"terminate called", "AddressSanitizer", "LeakSanitizer", "runtime error:",
                           "Segmentation", "Aborted"}) {
    EXPECT_EQ(r.err.find(sign), std::string::npos) << sign << " in:\n" << r.err;
  }
}

void expectClearFailure(const ChildResult& r) {
  expectOrderlyEnd(r);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::string title = "Error in cmdRUN: ";
  const auto at = r.err.find(title);
  ASSERT_NE(at, std::string::npos) << "no message in:\n" << r.err;
  // "N-description": a number, a dash, and words.
  const std::string line = r.err.substr(at + title.size(), r.err.find('\n', at) - at - title.size());
  const auto dash = line.find('-', 1);
  ASSERT_NE(dash, std::string::npos) << line;
  EXPECT_NO_THROW((void)std::stol(line.substr(0, dash))) << line;
  EXPECT_GT(line.size(), dash + 4) << "no description: " << line;
}

std::vector<CertRow> readCertRows(const fs::path& certFile) {
  auto db = jet::Database::open(certFile);
  auto def = db.tableDef(u"Tarvo_Certs");
  std::vector<size_t> columns;
  for (const char* name : kCertColumns) {
    auto at = def->findColumn(jet::fromUtf8(name));
    if (!at) throw std::runtime_error(std::string("Tarvo_Certs has no column ") + name);
    columns.push_back(*at);
  }
  std::vector<CertRow> rows;
  auto scan = db.scan(def, columns);
  while (scan.next()) {
    CertRow row;
    for (const auto& v : scan.values()) row.push_back(v.isNull() ? "\\N" : tools::formatPlain(v));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<CertRow> expectedSampleRows() {
  auto json = testsupport::Json::parse(fileBytes(expectedFile()));
  std::vector<CertRow> rows;
  for (const auto& r : json["rows"].asArray()) {
    CertRow row;
    for (const char* name : kCertColumns) {
      const auto& cell = r[name];
      if (cell.isNull()) {
        row.push_back("\\N");
      } else if (std::string(name) == "Date" || std::string(name) == "Expiration") {
        // "yyyy-mm-ddThh:mm:ss" as the dump prints it, with a space.
        std::string s = cell.asString();
        s[10] = ' ';
        row.push_back(s);
      } else {
        row.push_back(cell.asString());
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string withRandomPage(std::string bytes, size_t page, unsigned seed) {
  std::mt19937 rng(seed);
  for (size_t i = page * 4096; i < (page + 1) * 4096 && i < bytes.size(); ++i) bytes[i] = static_cast<char>(rng());
  return bytes;
}

bool isPrefix(const std::vector<CertRow>& rows, const std::vector<CertRow>& all) {
  return rows.size() <= all.size() && std::equal(rows.begin(), rows.end(), all.begin());
}

}  // namespace drills
