// Writing into copies of files that Access made: inserting, deleting and adding columns in
// tables with indexes and deleted columns, creating a table beside Access's own objects.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "jet/format/data_page.h"
#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/oracle.h"
#include "tests/support/file_writer.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using jet::ColumnType;
using jet::Value;
using writertest::Row;

namespace {

std::filesystem::path copyOf(const ts::TempDir& dir, const std::string& corpus) {
  const auto to = dir / std::filesystem::path(corpus).filename().string();
  std::filesystem::copy_file(ts::corpusFile(corpus), to);
  std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  return to;
}

Value text(const char* s) { return Value(jet::fromUtf8(s)); }

}  // namespace

TEST(CorpusWriteTest, IndexedTableWithDeletedColumns) {
  // Table1: columns numbered 0, 2, 3, 5 (1 and 4 were deleted), indexes on id and id2.
  ts::TempDir dir;
  const auto file = copyOf(dir, "jackcess/delColTestV2000.mdb");
  auto before = writertest::readWithOurReader(file, u"Table1");
  ASSERT_EQ(before.size(), 2u);
  // Access's distinct-key counters are not always exact; ours move by one per key won or lost.
  const auto counters = jet::Database::open(file).tableDef(u"Table1")->realIndexes;
  {
    ts::FileWriter w(file);
    w.insertRow(u"Table1", {Value(int32_t{7}), Value(int32_t{8}), text("baz"), text("baz2")});
    EXPECT_EQ(w.deleteRows(u"Table1", [](std::span<const Value> r) { return r[0] == Value(int32_t{0}); }), 1u);
    w.addColumn(u"Table1", {u"Added", ColumnType::Text, 20});
    w.insertRow(u"Table1", {Value(int32_t{9}), Value(int32_t{10}), text("qux"), Value(), text("new")});
    EXPECT_EQ(w.tableDef(u"Table1").columns.back().number, 6);  // after the deleted ones
  }
  // The last row takes the slot the deleted one left, so it reads first.
  writertest::expectRowsEverywhere(file, u"Table1", {"id", "id2", "data", "data2", "Added"},
                                   {{Value(int32_t{9}), Value(int32_t{10}), text("qux"), Value(), text("new")},
                                    {Value(int32_t{3}), Value(int32_t{5}), text("bar"), text("bar2"), Value()},
                                    {Value(int32_t{7}), Value(int32_t{8}), text("baz"), text("baz2"), Value()}});
  auto db = jet::Database::open(file);
  auto def = db.tableDef(u"Table1");
  EXPECT_EQ(def->rowCount, 3u);
  EXPECT_EQ(def->realIndexes[0].distinctKeys, counters[0].distinctKeys + 1);
  EXPECT_EQ(def->realIndexes[1].distinctKeys, counters[1].distinctKeys + 1);
}

TEST(CorpusWriteTest, PrimaryKeyRefusesDuplicatesAndKeepsItsEntries) {
  ts::TempDir dir;
  const auto file = copyOf(dir, "mdb-reader/V2000_no-password.mdb");
  {
    ts::FileWriter w(file);
    try {
      w.insertRow(u"Table1", {Value(int32_t{2}), text("again")});
      ADD_FAILURE() << "a duplicate primary key was accepted";
    } catch (const jet::Error& e) {
      EXPECT_EQ(e.number(), jet::errc::kIntegrityViolation);
    }
    w.insertRow(u"Table1", {Value(int32_t{4}), text("Four")});
    EXPECT_EQ(w.deleteRows(u"Table1", [](std::span<const Value> r) { return r[0] == Value(int32_t{1}); }), 1u);
    w.insertRow(u"Table1", {Value(int32_t{1}), text("One again")});  // its key is free again
  }
  // "One again" takes the slot that "One" left.
  writertest::expectRowsEverywhere(file, u"Table1", {"ID", "Data"},
                                   {{Value(int32_t{1}), text("One again")},
                                    {Value(int32_t{2}), text("Two")},
                                    {Value(int32_t{3}), text("Three")},
                                    {Value(int32_t{4}), text("Four")}});
}

TEST(CorpusWriteTest, NewTableBesideAccessObjects) {
  ts::TempDir dir;
  const auto file = copyOf(dir, "jackcess/testV2000.mdb");
  const size_t catalogBefore = jet::Database::open(file).catalog().size();
  {
    ts::FileWriter w(file);
    w.createTable({u"Tarvo_Certs", {{u"RecID", ColumnType::Long, 255, true}, {u"LName", ColumnType::Text}}});
    w.insertRow(u"Tarvo_Certs", {Value(), text("Lund")});
  }
  auto db = jet::Database::open(file);
  EXPECT_EQ(db.catalog().size(), catalogBefore + 1);
  writertest::expectRowsEverywhere(file, u"Tarvo_Certs", {"RecID", "LName"}, {{Value(int32_t{1}), text("Lund")}});
  // Access's own tables still read as before.
  const auto t1 = ts::mdbExport(file, "Table1");
  EXPECT_EQ(t1.rows.size(), 2u);
}

TEST(CorpusWriteTest, DeletingMovedRowsGivesBackBothPlaces) {
  // Table1 holds rows that Access moved when they grew (a pointer in the old slot, the row
  // on another page): row3 and row5 are two of them.
  ts::TempDir dir;
  const auto file = copyOf(dir, "jackcess/overflowTestV2000.mdb");
  const auto rowName = [](const Row& r) { return r[0].isNull() ? r[1].get<std::u16string>() : r[0].get<std::u16string>(); };
  {
    ts::FileWriter w(file);
    const auto pick = [](std::span<const Value> r) {
      return r[1] == text("row3col3") || r[0] == text("row4col1");
    };
    EXPECT_EQ(w.deleteRows(u"Table1", pick), 2u);
  }
  std::set<std::u16string> ours;
  for (const auto& r : writertest::readWithOurReader(file, u"Table1")) ours.insert(rowName(r));
  EXPECT_EQ(ours, (std::set<std::u16string>{u"row1col1", u"row2col1", u"row6col2", u"row7col1", u"row5col2"}));
  const auto csv = ts::mdbExport(file, "Table1");
  std::set<std::string> exported;
  for (const auto& r : csv.rows) exported.insert(r[0] ? *r[0] : r[1].value_or(""));
  EXPECT_EQ(exported, (std::set<std::string>{"row1col1", "row2col1", "row6col2", "row7col1", "row5col2"}));
  ts::ReaderOptions opt;
  opt.tables = {"Table1"};
  EXPECT_EQ(ts::mdbReaderDump(file, opt).table("Table1").rows.size(), 5u);

  const auto before = std::filesystem::file_size(file);
  {
    ts::FileWriter w(file);
    EXPECT_EQ(w.deleteRows(u"Table1"), 5u);
    w.insertRow(u"Table1", {text("only"), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value()});
  }
  EXPECT_EQ(std::filesystem::file_size(file), before);
  writertest::expectRowsEverywhere(file, u"Table1",
                                   {"data1", "data3", "data4", "data5", "data6", "data7", "data8", "data9", "data10"},
                                   {{text("only"), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value()}});
  // No slot of the table's pages keeps the bytes of a deleted or moved row.
  auto db = jet::Database::open(file);
  const auto def = db.tableDef(u"Table1");
  for (uint32_t p : jet::readUsageMap(db.pager(), def->ownedPagesMap)) {
    const jet::DataPage page(db.pager().read(p));
    if (page.owner() != def->firstPage()) continue;
    for (uint16_t s = 0; s < page.rowCount(); ++s) {
      if (page.isDeleted(s)) {
        EXPECT_EQ(page.row(s).size(), 0u) << "page " << p << " slot " << s;
      }
    }
  }
}

TEST(CorpusWriteTest, APredicateFailingMidPageLeavesRowsAndIndexesTogether) {
  // Table1 has two rows on one page and indexes on id and id2.
  ts::TempDir dir;
  const auto file = copyOf(dir, "jackcess/delColTestV2000.mdb");
  {
    ts::FileWriter w(file);
    int seen = 0;
    EXPECT_THROW(w.deleteRows(u"Table1",
                              [&](std::span<const Value>) {
                                if (++seen == 2) throw std::runtime_error("predicate failed");
                                return true;
                              }),
                 std::runtime_error);
  }
  EXPECT_EQ(writertest::readWithOurReader(file, u"Table1").size(), 2u);
  {
    // Had the first row lost its index entries, this delete would find them missing.
    ts::FileWriter w(file);
    EXPECT_EQ(w.deleteRows(u"Table1"), 2u);
    w.insertRow(u"Table1", {Value(int32_t{0}), Value(int32_t{2}), text("again"), Value()});
  }
  writertest::expectRowsEverywhere(file, u"Table1", {"id", "id2", "data", "data2"},
                                   {{Value(int32_t{0}), Value(int32_t{2}), text("again"), Value()}});
}
