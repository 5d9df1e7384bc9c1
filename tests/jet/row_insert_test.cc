// Creating tables and inserting rows, read back by our reader, mdb-export and mdb-reader.
#include <gtest/gtest.h>

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_writer.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using jet::ColumnType;
using jet::Value;
using testsupport::errorNumberOf;
using testsupport::fileBytes;
using writertest::Row;

namespace {

jet::TableSpec everyType() {
  jet::TableSpec t{u"Every Type", {}};
  t.columns.push_back({u"Id", ColumnType::Long, 255, true});
  t.columns.push_back({u"Name", ColumnType::Text, 40});
  t.columns.push_back({u"Notes", ColumnType::Memo});
  t.columns.push_back({u"Passed", ColumnType::Boolean});
  t.columns.push_back({u"Taken", ColumnType::DateTime});
  t.columns.push_back({u"Score", ColumnType::Double});
  t.columns.push_back({u"Fee", ColumnType::Currency});
  t.columns.push_back({u"Count", ColumnType::Long});
  t.columns.push_back({u"Default Text", ColumnType::Text});
  return t;
}
const std::vector<std::string> kEveryTypeNames = {"Id", "Name", "Notes", "Passed", "Taken",
                                                  "Score", "Fee", "Count", "Default Text"};

class WriterTest : public ::testing::Test {
 protected:
  ts::TempDir dir_;
  std::filesystem::path file_ = dir_ / "w.mdb";
};

}  // namespace

TEST_F(WriterTest, EveryTypeRoundTripsThroughAllThreeReaders) {
  const std::u16string longMemo(3000, u'm');    // a chain of two LVAL pieces (6000 bytes)
  const std::u16string rowMemo(500, u'r');      // one LVAL row
  std::vector<Row> expected;
  {
    ts::FileWriter w(file_, {everyType()});
    const Row rows[] = {
        {Value(), Value(std::u16string(u"Ann Smith")), Value(std::u16string(u"short")), Value(true),
         Value(jet::DateTime{45000.5}), Value(2.25), Value(jet::Currency{1234500}), Value(int32_t{-7}),
         Value(std::u16string(u"x"))},
        // Nulls everywhere a Null can go; a Yes/No column cannot hold Null and reads False.
        {Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value()},
        // Empty texts, blanks at both ends, non-ASCII, long values out of the row.
        {Value(), Value(std::u16string()), Value(longMemo), Value(false), Value(jet::DateTime{1.75}),
         Value(-1e300), Value(jet::Currency{-1}), Value(int32_t{2147483647}),
         Value(std::u16string(u"  Jürgen Ødegård ☃  "))},
        {Value(), Value(std::u16string(u"Zoë")), Value(rowMemo), Value(true), Value(jet::DateTime{2.0}),
         Value(0.0), Value(jet::Currency{0}), Value(int32_t{0}), Value(std::u16string(255, u'z'))},
    };
    int32_t id = 0;
    for (const auto& r : rows) {
      EXPECT_EQ(w.insertRow(u"Every Type", r), ++id);
      Row e = r;
      e[0] = id;
      if (e[3].isNull()) e[3] = false;
      expected.push_back(e);
    }
  }
  writertest::expectRowsEverywhere(file_, u"Every Type", kEveryTypeNames, expected);
  EXPECT_EQ(ts::mdbCount(file_, "Every Type"), 4);
}

TEST_F(WriterTest, ManyRowsFillPagesAndKeepCountersExact) {
  std::vector<Row> expected;
  {
    ts::FileWriter w(file_, {{u"Big", {{u"N", ColumnType::Long, 255, true}, {u"T", ColumnType::Text}}}},
                     jet::DatabaseWriter::Durability::kBatched);
    for (int i = 0; i < 3000; ++i) {
      Row r{Value(), Value(jet::fromUtf8("row number " + std::to_string(i) + std::string(i % 97, '.')))};
      w.insertRow(u"Big", r);
      r[0] = int32_t{i + 1};
      expected.push_back(r);
    }
    // An explicit autonumber is kept and raises the counter.
    EXPECT_EQ(w.insertRow(u"Big", {Value(int32_t{5000}), Value(std::u16string(u"jump"))}), 5000);
    EXPECT_EQ(w.insertRow(u"Big", {Value(), Value(std::u16string(u"next"))}), 5001);
    expected.push_back({Value(int32_t{5000}), Value(std::u16string(u"jump"))});
    expected.push_back({Value(int32_t{5001}), Value(std::u16string(u"next"))});
  }
  writertest::expectRowsEverywhere(file_, u"Big", {"N", "T"}, expected);
  auto db = jet::Database::open(file_);
  EXPECT_EQ(db.tableDef(u"Big")->rowCount, expected.size());
  EXPECT_EQ(db.tableDef(u"Big")->autoNumber, 5001u);
  // The file grew by whole pages only and every page is marked used in the global map.
  EXPECT_EQ(std::filesystem::file_size(file_) % 4096, 0u);
}

TEST_F(WriterTest, TextIsCompressedOnlyWhereTheColumnSaysSo) {
  {
    jet::TableSpec t{u"Texts", {}};
    t.columns.push_back({u"Packed", ColumnType::Text, 255, false, false, true});
    t.columns.push_back({u"Plain", ColumnType::Text});
    ts::FileWriter w(file_, {t});
    w.insertRow(u"Texts", {Value(std::u16string(u"ZqZqZqZqZq")), Value(std::u16string(u"WkWkWkWkWk"))});
    // Characters outside Latin-1 cannot be compressed: stored as UCS-2 even when allowed.
    w.insertRow(u"Texts", {Value(std::u16string(u"Ω-sign")), Value(std::u16string(u"Ω-sign"))});
  }
  const auto raw = fileBytes(file_);
  EXPECT_NE(raw.find("\xFF\xFEZqZqZqZqZq"), std::string::npos);
  EXPECT_EQ(raw.find("WkWkWkWkWk"), std::string::npos);
  EXPECT_NE(raw.find(std::string("W\0k\0W\0k\0", 8)), std::string::npos);
  writertest::expectRowsEverywhere(
      file_, u"Texts", {"Packed", "Plain"},
      {{Value(std::u16string(u"ZqZqZqZqZq")), Value(std::u16string(u"WkWkWkWkWk"))},
       {Value(std::u16string(u"Ω-sign")), Value(std::u16string(u"Ω-sign"))}});
}

TEST_F(WriterTest, RefusedRowsLeaveTheTableAsItWas) {
  {
  jet::TableSpec wide{u"Wide", {}};
  for (int i = 0; i < 12; ++i) wide.columns.push_back({jet::fromUtf8("C" + std::to_string(i)), ColumnType::Text});
  wide.columns.push_back({u"Short", ColumnType::Text, 5});
  ts::FileWriter w(file_, {wide});
  Row ok(13, Value(std::u16string(u"fine")));
  w.insertRow(u"Wide", ok);

  std::string text;
  Row tooBig(13, Value(std::u16string(255, u'Ж')));  // 12 x 510 bytes: more than a page
  tooBig[12] = Value();
  EXPECT_EQ(errorNumberOf([&] { w.insertRow(u"Wide", tooBig); }, &text), jet::errc::kUnspecified);
  EXPECT_NE(text.find("Record is too large"), std::string::npos) << text;
  Row tooLong = ok;
  tooLong[12] = std::u16string(u"sixsix");
  EXPECT_EQ(errorNumberOf([&] { w.insertRow(u"Wide", tooLong); }), jet::errc::kDataOverflow);
  Row wrongType = ok;
  wrongType[0] = 3.5;
  EXPECT_EQ(errorNumberOf([&] { w.insertRow(u"Wide", wrongType); }), jet::errc::kTypeMismatch);
  EXPECT_EQ(errorNumberOf([&] { w.insertRow(u"Wide", Row(3)); }), jet::errc::kUnspecified);
  EXPECT_EQ(errorNumberOf([&] { w.insertRow(u"Nowhere", ok); }), jet::errc::kTableNotFound);
  }
  EXPECT_EQ(ts::mdbCount(file_, "Wide"), 1);
  EXPECT_EQ(writertest::readWithOurReader(file_, u"Wide").size(), 1u);
}

TEST_F(WriterTest, CreateTableChecksItsSpecAndWritesProperties) {
  {
    jet::TableSpec t{u"Tarvo_Certs", {}};
    t.columns.push_back({u"RecID", ColumnType::Long, 255, true, true, false, u"Autoincrement Record ID"});
    t.columns.push_back({u"Email", ColumnType::Text});
    ts::FileWriter w(file_, {t});
    EXPECT_NE(errorNumberOf([&] { w.createTable(t); }), 0);                                  // exists
    EXPECT_NE(errorNumberOf([&] { w.createTable({u"Bad'Name", t.columns}); }), 0);           // unencodable
    EXPECT_NE(errorNumberOf([&] { w.createTable({u"Twice", {t.columns[1], t.columns[1]}}); }), 0);
    EXPECT_NE(errorNumberOf([&] { w.createTable({u"NoCols", {}}); }), 0);
    EXPECT_NE(errorNumberOf([&] { w.createTable({u"TwoAuto", {t.columns[0], {u"B", ColumnType::Long, 255, true}}}); }), 0);
  }
  const auto tables = ts::mdbTables(file_);
  EXPECT_EQ(tables, std::vector<std::string>{"Tarvo_Certs"});
  const auto pg = ts::runToolChecked({"mdb-schema", "--comments", "--not-null", file_.string(), "postgres"});
  EXPECT_NE(pg.find("IS 'Autoincrement Record ID'"), std::string::npos) << pg;
  EXPECT_NE(pg.find("SERIAL"), std::string::npos) << pg;
  EXPECT_NE(pg.find("NOT NULL"), std::string::npos) << pg;  // RecID: Required
  auto db = jet::Database::open(file_);
  auto def = db.tableDef(u"Tarvo_Certs");
  ASSERT_EQ(def->columns.size(), 2u);
  EXPECT_TRUE(def->columns[0].isAutoNumber());
  EXPECT_EQ(def->columns[1].length, 510);
}

TEST_F(WriterTest, CreatedTableHasCatalogIndexAndPermissionRows) {
  { ts::FileWriter created(file_, {{u"First", {{u"A", ColumnType::Long}}}, {u"Second_2", {{u"B", ColumnType::Text}}}}); }
  auto db = jet::Database::open(file_);
  auto objects = db.tableDef(u"MSysObjects");
  EXPECT_EQ(objects->rowCount, 10u);
  EXPECT_EQ(objects->realIndexes[0].distinctKeys, 10u);
  EXPECT_EQ(objects->realIndexes[1].distinctKeys, 10u);
  const auto* second = db.findTable(u"Second_2");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->parentId, 0x0F000001);
  // Permissions: the creator gets the Tables container's inheritable rights; the others
  // keep theirs; none are inheritable. Jackcess reads the tables through the indexes, so
  // mdb-reader and mdb-export agree only if the rows are all there.
  int aces = 0;
  for (const auto& r : writertest::readWithOurReader(file_, u"MSysACEs")) {
    if (r[0].get<int32_t>() != second->id) continue;
    ++aces;
    EXPECT_FALSE(r[3].get<bool>());
  }
  EXPECT_EQ(aces, 2);
  EXPECT_EQ(db.tableDef(u"MSysACEs")->rowCount, 20u);
  ts::ReaderOptions opt;
  opt.withSystem = true;
  EXPECT_EQ(ts::mdbReaderDump(file_, opt).table("MSysObjects").rows.size(), 10u);
}
