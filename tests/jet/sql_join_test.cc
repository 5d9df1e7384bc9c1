// Join keys as Jet compares them, on a small database written for the purpose: texts
// without regard to case, numbers of different widths by value, and Null matching nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "jet/format/data_page.h"
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/sql/executor.h"
#include "jet/sql/shared_scans.h"
#include "jet/format/usage_map.h"
#include "tests/support/file_writer.h"
#include "tests/support/paths.h"

namespace {

using jet::ColumnType;
using jet::Value;

jet::ColumnSpec column(const char16_t* name, ColumnType type) {
  jet::ColumnSpec c;
  c.name = name;
  c.type = type;
  return c;
}

Value text(const char16_t* s) { return Value(std::u16string(s)); }

class SqlJoinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "joins.mdb";
    testsupport::FileWriter w(
        path_, {{u"People", {column(u"Id", ColumnType::Long), column(u"Code", ColumnType::Text)}},
                {u"Marks", {column(u"PersonId", ColumnType::Double), column(u"Code", ColumnType::Text),
                            column(u"Small", ColumnType::Byte)}}});
    w.insertRow(u"People", {Value(int32_t{1}), text(u"abc")});
    w.insertRow(u"People", {Value(int32_t{2}), text(u"ABD")});
    w.insertRow(u"People", {Value(int32_t{3}), Value()});
    w.insertRow(u"People", {Value(), text(u"x")});
    w.insertRow(u"Marks", {Value(1.0), text(u"ABC"), Value(uint8_t{2})});
    w.insertRow(u"Marks", {Value(1.0), text(u"abc "), Value(uint8_t{3})});
    w.insertRow(u"Marks", {Value(2.5), text(u"abd"), Value(uint8_t{1})});
    w.insertRow(u"Marks", {Value(), Value(), Value(uint8_t{1})});
    w.flush();
  }

  std::multimap<int32_t, std::u16string> pairs(std::u16string_view sql) {
    auto db = jet::Database::open(path_, u"");
    auto rows = jet::sql::query(db, sql);
    std::multimap<int32_t, std::u16string> out;
    for (size_t r = 0; r < rows->rowCount(); ++r) {
      Value id = rows->value(r, 0), code = rows->value(r, 1);
      out.emplace(id.isNull() ? -999 : id.get<int32_t>(), code.isNull() ? u"<null>" : code.get<std::u16string>());
    }
    return out;
  }

  testsupport::TempDir dir_;
  std::filesystem::path path_;
};

TEST_F(SqlJoinTest, TextKeysIgnoreCaseButNotBlanksAndNullMatchesNothing) {
  auto got = pairs(u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON People.Code = Marks.Code");
  std::multimap<int32_t, std::u16string> want{{1, u"ABC"}, {2, u"abd"}};
  EXPECT_EQ(got, want);
}

TEST_F(SqlJoinTest, NumbersOfDifferentWidthsJoinByValue) {
  auto got = pairs(u"SELECT People.Id, Marks.Code FROM Marks INNER JOIN People ON Marks.PersonId = People.Id");
  std::multimap<int32_t, std::u16string> want{{1, u"ABC"}, {1, u"abc "}};
  EXPECT_EQ(got, want);
  // Two keys at once, one of them a byte against a long.
  auto both = pairs(u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON "
                    u"People.Id = Marks.Small AND People.Code = Marks.Code");
  EXPECT_EQ(both, (std::multimap<int32_t, std::u16string>{}));
  auto byte = pairs(u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON People.Id = Marks.Small");
  EXPECT_EQ(byte, (std::multimap<int32_t, std::u16string>{{1, u"abd"}, {1, u"<null>"}, {2, u"ABC"}, {3, u"abc "}}));
}

TEST_F(SqlJoinTest, ConditionsOverBothSidesApplyAfterTheJoin) {
  auto got = pairs(u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON People.Id = "
                   u"Marks.Small WHERE People.Code <> Marks.Code OR Marks.Code IS NULL");
  // Id 3 has a Null code: its comparison is Unknown, so only the IS NULL side can let a row in.
  EXPECT_EQ(got, (std::multimap<int32_t, std::u16string>{{1, u"abd"}, {1, u"<null>"}, {2, u"ABC"}}));
}

// A table of one row joins on either side, alone or above another join; a Null key in it
// matches nothing.
TEST_F(SqlJoinTest, AOneRowTableJoinsOnEitherSide) {
  {
    testsupport::FileWriter w(path_);
    w.createTable({u"One", {column(u"Code", ColumnType::Text), column(u"Id", ColumnType::Long)}});
    w.insertRow(u"One", {text(u"ABC"), Value()});
  }
  const std::multimap<int32_t, std::u16string> abc{{1, u"abc"}};
  EXPECT_EQ(pairs(u"SELECT People.Id, People.Code FROM One INNER JOIN People ON One.Code = People.Code"), abc);
  EXPECT_EQ(pairs(u"SELECT People.Id, People.Code FROM People INNER JOIN One ON People.Code = One.Code"), abc);
  EXPECT_EQ(pairs(u"SELECT People.Id, Marks.Code FROM One INNER JOIN (People INNER JOIN Marks ON People.Id = "
                  u"Marks.Small) ON One.Code = People.Code"),
            (std::multimap<int32_t, std::u16string>{{1, u"abd"}, {1, u"<null>"}}));
  EXPECT_TRUE(pairs(u"SELECT People.Id, People.Code FROM One INNER JOIN People ON One.Id = People.Id").empty());
}

// Thousands of rows, keys repeated on both sides and some without a partner, with one key
// column and with two: each probing row meets its partners in their own order.
TEST_F(SqlJoinTest, ManyRowsJoinInProbingThenBuildOrder) {
  {
    testsupport::FileWriter w(path_);
    w.createTable({u"Small", {column(u"Id", ColumnType::Long), column(u"K", ColumnType::Long), column(u"T", ColumnType::Text)}});
    w.createTable({u"Large", {column(u"Id", ColumnType::Long), column(u"K", ColumnType::Long), column(u"T", ColumnType::Text)}});
    auto row = [](int32_t id, int32_t k) {
      return std::vector<Value>{Value(id), Value(k), Value(std::u16string(1, static_cast<char16_t>(u'a' + k % 3)))};
    };
    for (int32_t i = 0; i < 3000; ++i) w.insertRow(u"Small", row(i, i % 1000));
    for (int32_t i = 0; i < 5000; ++i) w.insertRow(u"Large", row(i, (i * 7) % 1200));
    w.flush();
  }
  auto db = jet::Database::open(path_, u"");
  for (int keys = 1; keys <= 2; ++keys) {
    SCOPED_TRACE(keys);
    const std::u16string on = keys == 1 ? u"Large.K = Small.K" : u"Large.K = Small.K AND Large.T = Small.T";
    auto rows = jet::sql::query(db, u"SELECT Large.Id, Small.Id FROM Large INNER JOIN Small ON " + on);
    std::vector<std::pair<int32_t, int32_t>> got, want;
    for (size_t r = 0; r < rows->rowCount(); ++r) got.emplace_back(rows->value(r, 0).get<int32_t>(), rows->value(r, 1).get<int32_t>());
    for (int32_t large = 0; large < 5000; ++large) {
      for (int32_t small = 0; small < 3000; ++small) {
        if ((large * 7) % 1200 == small % 1000) want.emplace_back(large, small);
      }
    }
    EXPECT_EQ(got, want);
  }
}

// The tables of a join are read side by side, each but the last on a thread of its own: damage
// in any of them still ends the query with the engine's error, naming the page.
TEST_F(SqlJoinTest, DamageInAnyJoinedTableIsTheQuerysError) {
  std::vector<uint32_t> pages;
  {
    auto db = jet::Database::open(path_, u"");
    pages = jet::readUsageMap(db.pager(), db.tableDef(u"People")->ownedPagesMap);
  }
  ASSERT_EQ(pages.size(), 1u);
  {
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(pages[0]) * 4096 + jet::kDataPageRowCountOffset);
    f.write("\xFF\x7F", 2);  // more row slots than a page holds
  }
  for (const char16_t* sql : {u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON People.Code = Marks.Code",
                              u"SELECT People.Id, Marks.Code FROM Marks INNER JOIN People ON Marks.Code = People.Code"}) {
    SCOPED_TRACE(jet::toUtf8(sql));
    auto db = jet::Database::open(path_, u"");
    try {
      jet::sql::query(db, sql);
      ADD_FAILURE() << "the damaged page went unnoticed";
    } catch (const jet::Error& e) {
      EXPECT_NE(std::string(e.description()).find("page " + std::to_string(pages[0])), std::string::npos) << e.description();
    }
  }
}

// Queries of one connection share the scan of a table read whole while a result holds it; a
// write to the file ends the sharing, and nothing is kept once the results are gone.
TEST_F(SqlJoinTest, QueriesShareAScanUntilTheFileChanges) {
  auto db = jet::Database::open(path_, u"", true);
  jet::sql::SharedScans shared;
  const std::u16string sql = u"SELECT People.Id, Marks.Code FROM People INNER JOIN Marks ON People.Id = Marks.Small";
  auto values = [](const jet::sql::ResultSet& rows) {
    std::vector<Value> out;
    for (size_t r = 0; r < rows.rowCount(); ++r) out.push_back(rows.value(r, 1));
    return out;
  };
  auto first = jet::sql::query(db, sql, &shared);
  const size_t peopleColumns[] = {0};
  EXPECT_NE(shared.find(db, db.tableDef(u"People"), peopleColumns), nullptr);
  auto second = jet::sql::query(db, sql, &shared);
  EXPECT_EQ(values(*second), values(*first));
  EXPECT_EQ(values(*first), (std::vector<Value>{text(u"abd"), Value(), text(u"ABC"), text(u"abc ")}));

  jet::DatabaseWriter w(db);
  w.insertRow(u"Marks", {Value(9.0), text(u"new"), Value(uint8_t{2})});
  w.flush();
  EXPECT_EQ(shared.find(db, db.tableDef(u"People"), peopleColumns), nullptr);
  auto third = jet::sql::query(db, sql, &shared);
  // Marks is now the larger side, so the rows come in its order.
  EXPECT_EQ(values(*third), (std::vector<Value>{text(u"ABC"), text(u"abc "), text(u"abd"), Value(), text(u"new")}));
  EXPECT_EQ(values(*first), values(*second));  // earlier results keep their rows

  first.reset(), second.reset(), third.reset();
  EXPECT_EQ(shared.find(db, db.tableDef(u"People"), peopleColumns), nullptr);
}

// Keys of other kinds and letters beyond ASCII: GUIDs compare by their bytes, accented,
// Greek and Cyrillic letters without regard to case (but an accent still counts), -0 equals
// 0; rows come in the probing (larger) side's order, also when some of them find no partner.
class SqlJoinKindsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "kinds.mdb";
    testsupport::FileWriter w(
        path_, {{u"Names", {column(u"Tag", ColumnType::Guid), column(u"Name", ColumnType::Text),
                            column(u"Amount", ColumnType::Double)}},
                {u"Visits", {column(u"Tag", ColumnType::Guid), column(u"Name", ColumnType::Text),
                             column(u"Amount", ColumnType::Long), column(u"Seq", ColumnType::Long)}}});
    auto guid = [](uint8_t b) {
      jet::Guid g{};
      g.bytes.fill(b);
      return Value(g);
    };
    w.insertRow(u"Names", {guid(1), text(u"\u00c9LAN"), Value(-0.0)});
    w.insertRow(u"Names", {guid(2), text(u"\u03a9MEGA"), Value(7.0)});
    w.insertRow(u"Names", {guid(3), text(u"\u0416UK"), Value(7.5)});
    const struct {
      uint8_t key;
      const char16_t* name;
      int32_t amount;
    } visits[] = {{3, u"\u0436uk", 7}, {9, u"elan", 0}, {1, u"\u00e9lan", 0}, {2, u"\u03c9mega", 7},
                  {1, u"\u00e9LAN", 1}, {4, u"\u0436UK", 8}};
    int32_t seq = 0;
    for (const auto& v : visits) {
      w.insertRow(u"Visits", {guid(v.key), text(v.name), Value(v.amount), Value(seq++)});
    }
    w.flush();
  }

  std::vector<int32_t> sequence(std::u16string_view on) {
    auto db = jet::Database::open(path_, u"");
    auto rows = jet::sql::query(db, u"SELECT Visits.Seq FROM Names INNER JOIN Visits ON " + std::u16string(on));
    std::vector<int32_t> out;
    for (size_t r = 0; r < rows->rowCount(); ++r) out.push_back(rows->value(r, 0).get<int32_t>());
    return out;
  }

  testsupport::TempDir dir_;
  std::filesystem::path path_;
};

TEST_F(SqlJoinKindsTest, GuidTextAndNumberKeysMatchAsJetComparesThem) {
  EXPECT_EQ(sequence(u"Names.Tag = Visits.Tag"), (std::vector<int32_t>{0, 2, 3, 4}));
  EXPECT_EQ(sequence(u"Names.Name = Visits.Name"), (std::vector<int32_t>{0, 2, 3, 4, 5}));
  EXPECT_EQ(sequence(u"Names.Amount = Visits.Amount"), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(sequence(u"Names.Name = Visits.Name AND Names.Amount = Visits.Amount"), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(sequence(u"Names.Tag = Visits.Tag AND Names.Name = Visits.Name AND Names.Amount = Visits.Amount"),
            (std::vector<int32_t>{2, 3}));
}

}  // namespace
