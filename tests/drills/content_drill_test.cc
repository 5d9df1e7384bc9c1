// Drills on what is copied: names in many scripts and texts at the length limits of the
// source columns arrive in the certificate file exactly, and a text beyond a column's limit
// is refused whole rather than cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/ado.h"
#include "jet/database.h"
#include "jet/unicode.h"
#include "tests/drills/drill_support.h"

namespace {

namespace fs = std::filesystem;
using namespace drills;

std::u16string openString(const fs::path& file) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.u16string() +
         u";Jet OLEDB:Database Password=" + kPassword + u";Mode=Read|Write";
}

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
  const fs::path source = dir / "tarvo.mdb";
  fs::copy_file(sampleSource(), source);
  // A person whose texts fill their columns exactly, in scripts whose letters need two bytes
  // in UTF-8 or two UTF-16 units, and one passed qualification of theirs.
  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.open(openString(source), u"", u"");
  auto column = [&](const char16_t* table, const char16_t* name) {
    auto def = cn.database().tableDef(table);
    return def->columns[*def->findColumn(name)];
  };
  const auto fill = [](const std::u16string& unit, size_t length) {
    std::u16string s;
    while (s.size() + unit.size() <= length) s += unit;
    while (s.size() < length) s += u'x';
    return s;
  };
  const size_t lnameMax = column(u"Roster", u"LName").length / 2;
  const size_t courseMax = column(u"Qualifications", u"Course").length / 2;
  ASSERT_GT(lnameMax, 0u);
  const std::u16string lname = fill(u"Ж\U0001D400", lnameMax);  // Cyrillic and a surrogate pair
  const std::u16string course = fill(u"漢字", courseMax);

  data::Recordset roster;
  roster.open(u"SELECT * FROM Roster", cn, data::adOpenStatic, data::adLockBatchOptimistic);
  roster.addNew();
  const int32_t id = 900001;
  roster.field(u"ID").setValue(id);
  roster.field(u"License").setValue(std::u16string(jet::fromUtf8(licenceNumber())));
  roster.field(u"LName").setValue(lname);
  roster.field(u"FName").setValue(std::u16string(u"Ωmega"));
  roster.updateBatch();
  data::Recordset quals;
  quals.open(u"SELECT * FROM Qualifications", cn, data::adOpenStatic, data::adLockBatchOptimistic);
  quals.addNew();
  quals.field(u"AgentID").setValue(id);
  quals.field(u"Course").setValue(course);
  quals.field(u"PassFail").setValue(true);
  quals.updateBatch();

  // One unit more than the column holds: refused, and the file keeps only what it had.
  data::Recordset tooLong;
  tooLong.open(u"SELECT * FROM Qualifications", cn, data::adOpenStatic, data::adLockBatchOptimistic);
  const int before = tooLong.recordCount();
  tooLong.addNew();
  tooLong.field(u"AgentID").setValue(id);
  bool refused = false;
  try {
    tooLong.field(u"Course").setValue(course + u"+");
    tooLong.updateBatch();
  } catch (const data::Error& e) {
    refused = true;
    EXPECT_NE(std::string(e.description()), "");
  }
  EXPECT_TRUE(refused) << "a text longer than its column was accepted";
  cn.close();
  {
    data::Connection check;
    check.open(openString(source), u"", u"");
    data::Recordset count;
    count.open(u"SELECT * FROM Qualifications", check, data::adOpenStatic, data::adLockReadOnly);
    EXPECT_EQ(count.recordCount(), before);
  }

  const std::string sourceBytes = readBytes(source);
  const ChildResult r = runBatch(source, dir.path());
  expectOrderlyEnd(r);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readBytes(source), sourceBytes);
  const auto rows = readCertRows(dir / (licenceNumber() + ".mdb"));
  const auto mine = std::count_if(rows.begin(), rows.end(), [&](const CertRow& row) {
    return row[0] == jet::toUtf8(lname) && row[2] == jet::toUtf8(course);
  });
  EXPECT_EQ(mine, 1) << "the texts at the limit did not arrive whole";
}

}  // namespace
