// Deleting rows (all of them, or those a predicate picks) and adding columns, in our own
// files; read back by all three readers.
#include <fstream>

#include <gtest/gtest.h>

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/file_writer.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using jet::ColumnType;
using jet::Value;
using writertest::Row;

namespace {

Row person(int32_t id, const char* name) { return {Value(id), Value(jet::fromUtf8(name))}; }

class ChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ts::FileWriter w(file_, {{u"People", {{u"Id", ColumnType::Long, 255, true}, {u"Name", ColumnType::Text}}}});
    for (const char* n : {"Ann", "Bob", "Cid", "Dee", "Eve"}) w.insertRow(u"People", {Value(), Value(jet::fromUtf8(n))});
  }
  ts::TempDir dir_;
  std::filesystem::path file_ = dir_ / "c.mdb";
};

}  // namespace

TEST_F(ChangeTest, DeleteByPredicateThenAllThenInsertAgain) {
  {
    ts::FileWriter w(file_);
    const size_t n = w.deleteRows(u"People", [](std::span<const Value> r) { return r[0].get<int32_t>() % 2 == 0; });
    EXPECT_EQ(n, 2u);
  }
  writertest::expectRowsEverywhere(file_, u"People", {"Id", "Name"},
                                   {person(1, "Ann"), person(3, "Cid"), person(5, "Eve")});
  {
    ts::FileWriter w(file_);
    EXPECT_EQ(w.deleteRows(u"People"), 3u);
    EXPECT_EQ(w.deleteRows(u"People"), 0u);
    // The autonumber goes on where it was, as Jet's does after DELETE.
    EXPECT_EQ(w.insertRow(u"People", {Value(), Value(std::u16string(u"Fay"))}), 6);
  }
  writertest::expectRowsEverywhere(file_, u"People", {"Id", "Name"}, {person(6, "Fay")});
}

// A count that drifted from the rows (pages lost, a writer killed) is set to the rows that
// remain, never the old count less the rows deleted.
TEST_F(ChangeTest, DeleteLeavesTheStoredCountEqualToTheRowsLeft) {
  const auto storeCount = [&](uint32_t count) {
    const uint32_t tdef = jet::Database::open(file_).tableDef(u"People")->firstPage();
    std::fstream f(file_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(tdef * 4096 + 0x10);
    const char bytes[4] = {static_cast<char>(count), static_cast<char>(count >> 8), 0, 0};
    f.write(bytes, 4);
  };
  const auto deleteAndCount = [&](const jet::RowPredicate& pick) {
    {
      ts::FileWriter(file_).deleteRows(u"People", pick);
    }
    return jet::Database::open(file_).tableDef(u"People")->rowCount;
  };
  storeCount(9);
  EXPECT_EQ(deleteAndCount([](std::span<const Value> r) { return r[0].get<int32_t>() % 2 == 0; }), 3u);
  storeCount(1);
  EXPECT_EQ(deleteAndCount(nullptr), 0u);
  // A delete killed before its count reached the file: the table shows no rows, so a rerun
  // does not delete again, and its new rows must not be counted on top of the old count.
  storeCount(4);
  {
    ts::FileWriter(file_).insertRow(u"People", {Value(), Value(std::u16string(u"Fay"))});
  }
  EXPECT_EQ(jet::Database::open(file_).tableDef(u"People")->rowCount, 1u);
}

TEST_F(ChangeTest, AddedColumnsReadNullInOldRows) {
  {
    ts::FileWriter w(file_);
    w.addColumn(u"People", {u"Type", ColumnType::Text});
    w.addColumn(u"People", {u"Joined", ColumnType::DateTime});
    w.addColumn(u"People", {u"Notes", ColumnType::Memo});
    w.addColumn(u"People", {u"Active", ColumnType::Boolean});
    EXPECT_NE(w.tableDef(u"People").findColumn(u"type"), std::nullopt);
    EXPECT_EQ([&] {
      try {
        w.addColumn(u"People", {u"TYPE", ColumnType::Text});
      } catch (const jet::Error&) {
        return true;
      }
      return false;
    }(), true);
    w.insertRow(u"People", {Value(), Value(std::u16string(u"Gus")), Value(std::u16string(u"Q")),
                            Value(jet::DateTime{45000.0}), Value(std::u16string(200, u'n')), Value(true)});
  }
  std::vector<Row> expected;
  int id = 0;
  for (const char* n : {"Ann", "Bob", "Cid", "Dee", "Eve"}) {
    expected.push_back({Value(++id), Value(jet::fromUtf8(n)), Value(), Value(), Value(), Value(false)});
  }
  expected.push_back({Value(6), Value(std::u16string(u"Gus")), Value(std::u16string(u"Q")),
                      Value(jet::DateTime{45000.0}), Value(std::u16string(200, u'n')), Value(true)});
  writertest::expectRowsEverywhere(file_, u"People", {"Id", "Name", "Type", "Joined", "Notes", "Active"}, expected);
  const auto schema = ts::mdbSchema(file_);
  ASSERT_EQ(schema.size(), 1u);
  EXPECT_EQ(schema[0].columns.size(), 6u);
}
