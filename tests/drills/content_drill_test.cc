// Drills on what is copied: names in many scripts arrive in the certificate file exactly, and
// a text at the certificate columns' length limit is stored whole while a longer one is
// refused rather than cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/ado.h"
#include "jet/read/database.h"
#include "jet/util/unicode.h"
#include "tests/drills/drill_support.h"

namespace {

namespace fs = std::filesystem;
using namespace drills;

// The script blocks a text uses, roughly: by the high bits of each code point above ASCII.
std::set<char32_t> scriptBlocks(const std::string& utf8) {
  std::set<char32_t> blocks;
  for (char16_t c : jet::fromUtf8(utf8)) {
    if (c >= 0x80) blocks.insert(c >> 7);
  }
  return blocks;
}

TEST(ContentDrill, NamesInManyScriptsArriveExactly) {
  testsupport::TempDir dir;
  fs::copy_file(sampleSource(), dir / "tarvo.mdb");
  const ChildResult r = runBatch(dir / "tarvo.mdb", dir.path());
  expectOrderlyEnd(r);
  ASSERT_EQ(r.exitCode, 0) << r.err;

  auto rows = readCertRows(dir / (licenceNumber() + ".mdb"));
  auto expected = expectedSampleRows();
  std::set<char32_t> blocks;
  for (const auto& row : expected) {
    for (const auto& cell : row) blocks.merge(scriptBlocks(cell));
  }
  ASSERT_GE(blocks.size(), 3u) << "the sample no longer holds names in several scripts";
  // Every Q row before every T row; within a type the order is free.
  const auto firstT = std::find_if(rows.begin(), rows.end(), [](const CertRow& row) { return row.back() == "T"; });
  EXPECT_TRUE(std::all_of(firstT, rows.end(), [](const CertRow& row) { return row.back() == "T"; }));
  std::sort(rows.begin(), rows.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(rows, expected);
}

TEST(ContentDrill, TextsAtTheColumnLimitArriveWholeAndLongerOnesAreRefused) {
  testsupport::TempDir dir;
  fs::copy_file(sampleSource(), dir / "tarvo.mdb");
  const ChildResult r = runBatch(dir / "tarvo.mdb", dir.path());
  expectOrderlyEnd(r);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const fs::path cert = dir / (licenceNumber() + ".mdb");
  const auto before = readCertRows(cert);

  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.open(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + cert.u16string() + u";Mode=Read|Write", u"", u"");
  auto def = cn.database().tableDef(u"Tarvo_Certs");
  const size_t limit = def->columns[*def->findColumn(u"LName")].length / 2;
  ASSERT_GT(limit, 0u);
  // Letters that take two UTF-8 bytes and a surrogate pair (two UTF-16 units) fill the column
  // exactly: the limit counts UTF-16 units.
  std::u16string atLimit;
  while (atLimit.size() + 3 <= limit) atLimit += u"Ж\U0001D400";
  while (atLimit.size() < limit) atLimit += u'x';

  data::Recordset rs;
  rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockBatchOptimistic);
  rs.addNew();
  rs.field(u"LName").setValue(atLimit);
  rs.field(u"Type").setValue(std::u16string(u"Q"));
  rs.updateBatch();

  // One unit more than the column holds: refused whole, never cut.
  data::Recordset tooLong;
  tooLong.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockBatchOptimistic);
  bool refused = false;
  try {
    tooLong.addNew();
    tooLong.field(u"LName").setValue(atLimit + u"+");
    tooLong.updateBatch();
  } catch (const data::Error& e) {
    refused = true;
    EXPECT_NE(std::string(e.description()), "");
  }
  EXPECT_TRUE(refused) << "a text longer than its column was accepted";
  tooLong = data::Recordset();
  rs = data::Recordset();
  cn.close();

  const auto after = readCertRows(cert);
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_TRUE(isPrefix(before, after));
  EXPECT_EQ(after.back()[0], jet::toUtf8(atLimit));
}

}  // namespace
