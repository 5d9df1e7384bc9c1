#include "tests/jet/written_file_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numeric>

#include "jet/util/civil_date.h"
#include "jet/read/database.h"
#include "jet/util/unicode.h"
#include "tests/support/oracle.h"

namespace writertest {
namespace ts = testsupport;

std::string formatJetDate(double days) {
  const long long secs = std::llround(days * 86400.0);
  const long long d = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
  const long long s = secs - d * 86400;
  const jet::CivilDate date = jet::dateOfJetDay(d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(date.year),
                date.month, date.day, s / 3600, (s / 60) % 60, s % 60);
  return buf;
}

std::vector<Row> readWithOurReader(const std::filesystem::path& file, const std::u16string& table,
                                   const std::u16string& password) {
  auto db = jet::Database::open(file, password);
  auto def = db.tableDef(table);
  std::vector<size_t> cols(def->columns.size());
  std::iota(cols.begin(), cols.end(), 0);
  auto scan = db.scan(def, cols);
  std::vector<Row> rows;
  while (scan.next()) rows.push_back(scan.values());
  return rows;
}

namespace {

// What mdb-export prints for a value (NULL and the empty text both as nullopt).
std::optional<std::string> exportText(const jet::Value& v) {
  if (v.isNull()) return std::nullopt;
  if (auto p = v.getIf<std::u16string>()) return p->empty() ? std::nullopt : std::optional(jet::toUtf8(*p));
  if (auto p = v.getIf<bool>()) return std::string(*p ? "1" : "0");
  if (auto p = v.getIf<int32_t>()) return std::to_string(*p);
  if (auto p = v.getIf<int16_t>()) return std::to_string(*p);
  if (auto p = v.getIf<uint8_t>()) return std::to_string(*p);
  if (auto p = v.getIf<jet::DateTime>()) return formatJetDate(p->days);
  return std::nullopt;  // numbers with fractions: compared numerically below
}

std::optional<double> numeric(const jet::Value& v) {
  if (auto p = v.getIf<double>()) return *p;
  if (auto p = v.getIf<jet::Currency>()) return static_cast<double>(p->scaled) / 10000.0;
  return std::nullopt;
}

void expectOurs(const std::filesystem::path& file, const std::u16string& table, const std::vector<Row>& expected) {
  const auto rows = readWithOurReader(file, table);
  ASSERT_EQ(rows.size(), expected.size()) << "our reader";
  for (size_t r = 0; r < rows.size(); ++r) {
    ASSERT_EQ(rows[r].size(), expected[r].size()) << "our reader, row " << r;
    for (size_t c = 0; c < rows[r].size(); ++c) {
      EXPECT_TRUE(rows[r][c] == expected[r][c]) << "our reader, row " << r << " column " << c;
    }
  }
}

void expectMdbExport(const std::filesystem::path& file, const std::string& table, const std::vector<std::string>& names,
                     const std::vector<Row>& expected) {
  const auto csv = ts::mdbExport(file, table);
  ASSERT_EQ(csv.header, names) << "mdb-export";
  ASSERT_EQ(csv.rows.size(), expected.size()) << "mdb-export";
  for (size_t r = 0; r < expected.size(); ++r) {
    for (size_t c = 0; c < names.size(); ++c) {
      const auto& cell = csv.rows[r][c];
      const auto& v = expected[r][c];
      if (auto n = numeric(v)) {
        ASSERT_TRUE(cell.has_value()) << "mdb-export row " << r << " column " << names[c];
        EXPECT_NEAR(std::stod(*cell), *n, 1e-9 * std::max(1.0, std::fabs(*n))) << "mdb-export row " << r << " " << names[c];
      } else {
        EXPECT_EQ(cell, exportText(v)) << "mdb-export row " << r << " column " << names[c];
      }
    }
  }
}

void expectMdbReader(const std::filesystem::path& file, const std::string& table, const std::vector<std::string>& names,
                     const std::vector<Row>& expected) {
  ts::ReaderOptions opt;
  opt.tables = {table};
  const auto dump = ts::mdbReaderDump(file, opt);
  const auto& t = dump.table(table);
  ASSERT_TRUE(t.error.empty()) << t.error;
  ASSERT_EQ(t.columns.size(), names.size());
  for (size_t c = 0; c < names.size(); ++c) EXPECT_EQ(t.columns[c].name, names[c]);
  EXPECT_EQ(t.rowCount, static_cast<int64_t>(expected.size())) << "mdb-reader row count (TDEF)";
  ASSERT_EQ(t.rows.size(), expected.size()) << "mdb-reader";
  for (size_t r = 0; r < expected.size(); ++r) {
    for (size_t c = 0; c < names.size(); ++c) {
      const auto& cell = t.rows[r][c];
      const auto& v = expected[r][c];
      const std::string where = "mdb-reader row " + std::to_string(r) + " column " + names[c];
      if (v.isNull()) {
        EXPECT_TRUE(cell.isNull()) << where;
      } else if (auto p = v.getIf<std::u16string>()) {
        ASSERT_TRUE(cell.isString()) << where;
        EXPECT_EQ(cell.asString(), jet::toUtf8(*p)) << where;
      } else if (auto p = v.getIf<bool>()) {
        ASSERT_TRUE(cell.isBool()) << where;
        EXPECT_EQ(cell.asBool(), *p) << where;
      } else if (auto p = v.getIf<jet::DateTime>()) {
        ASSERT_TRUE(cell.isString()) << where;
        auto text = cell.asString();
        text[10] = ' ';
        EXPECT_EQ(text.substr(0, 19), formatJetDate(p->days)) << where;
      } else if (auto p = v.getIf<jet::Currency>()) {
        ASSERT_TRUE(cell.isString()) << where;
        EXPECT_NEAR(std::stod(cell.asString()), p->scaled / 10000.0, 1e-9) << where;
      } else if (auto n = numeric(v)) {
        ASSERT_TRUE(cell.isNumber()) << where;
        EXPECT_DOUBLE_EQ(cell.asNumber(), *n) << where;
      } else if (auto p = v.getIf<int32_t>()) {
        ASSERT_TRUE(cell.isNumber()) << where;
        EXPECT_EQ(cell.asNumber(), *p) << where;
      } else {
        ADD_FAILURE() << where << ": value kind not compared";
      }
    }
  }
}

}  // namespace

void expectRowsEverywhere(const std::filesystem::path& file, const std::u16string& table,
                          const std::vector<std::string>& names, const std::vector<Row>& expected) {
  {
    SCOPED_TRACE("our reader");
    expectOurs(file, table, expected);
  }
  const std::string t = jet::toUtf8(table);
  {
    SCOPED_TRACE("mdb-export");
    expectMdbExport(file, t, names, expected);
  }
  {
    SCOPED_TRACE("mdb-reader");
    expectMdbReader(file, t, names, expected);
  }
}

}  // namespace writertest
