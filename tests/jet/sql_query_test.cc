// Queries on a generated Tarvo database, checked against an independent reader (mdb-reader)
// of the same file: Jet's truth values, Nulls, text compared without regard to case, joins.
#include <gtest/gtest.h>

#include <map>

#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/sql/binder.h"
#include "jet/sql/collation.h"
#include "jet/sql/executor.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace {

using testsupport::Json;

std::filesystem::path sample() {
  return testsupport::sharedDir() / "corpus" / "generated" / "tarvo_sample.mdb";
}

class SqlQueryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testsupport::ReaderOptions options;
    options.password = "KRVNDQLT-58203";
    oracle_ = new testsupport::ReaderDump(testsupport::mdbReaderDump(sample(), options));
  }
  static void TearDownTestSuite() {
    delete oracle_;
    oracle_ = nullptr;
  }
  void SetUp() override { db_.emplace(jet::Database::open(sample(), u"KRVNDQLT-58203")); }

  size_t count(std::u16string_view sql) { return jet::sql::query(*db_, sql)->rowCount(); }
  int errorOf(std::u16string_view sql) {
    try {
      jet::sql::query(*db_, sql);
    } catch (const jet::Error& e) {
      return e.number();
    }
    return 0;
  }
  // Rows of an oracle table for which `pred` holds.
  template <typename Pred>
  size_t oracleCount(const std::string& table, Pred pred) {
    const testsupport::ReaderTable& t = oracle_->table(table);
    size_t n = 0;
    for (const auto& row : t.rows) n += pred(t, row) ? 1 : 0;
    return n;
  }

  static testsupport::ReaderDump* oracle_;
  std::optional<jet::Database> db_;
};

testsupport::ReaderDump* SqlQueryTest::oracle_ = nullptr;

TEST_F(SqlQueryTest, TrueIsMinusOneAndFalseIsZero) {
  size_t passed = oracleCount("Qualifications", [](const auto& t, const auto& row) {
    const Json& v = row[t.column("PassFail")];
    return v.isBool() && v.asBool();
  });
  size_t total = oracle_->table("Qualifications").rows.size();
  ASSERT_GT(passed, 0u);
  ASSERT_LT(passed, total);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE PassFail = True"), passed);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE PassFail = -1"), passed);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE PassFail = 1"), 0u);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE PassFail = False"), total - passed);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE PassFail"), passed);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE NOT PassFail = True"), total - passed);
}

TEST_F(SqlQueryTest, NullIsNeitherEqualNorUnequal) {
  size_t nulls = oracleCount("Qualifications", [](const auto& t, const auto& row) {
    return row[t.column("QualDate")].isNull();
  });
  size_t total = oracle_->table("Qualifications").rows.size();
  ASSERT_GT(nulls, 0u);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE QualDate IS NULL"), nulls);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE QualDate IS NOT NULL"), total - nulls);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE QualDate = QualDate"), total - nulls);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE NOT (QualDate = QualDate)"), 0u);
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE QualDate <> QualDate OR QualDate = NULL"), 0u);
  // Unknown OR True is True.
  EXPECT_EQ(count(u"SELECT QID FROM Qualifications WHERE QualDate = NULL OR QID = QID"), total);
}

TEST_F(SqlQueryTest, TextComparesWithoutRegardToCase) {
  auto control = jet::sql::query(*db_, u"SELECT License_Nbr, Licensee FROM Control");
  ASSERT_EQ(control->rowCount(), 1u);
  std::u16string licence = control->value(0, 0).get<std::u16string>();
  std::u16string flipped;
  for (char16_t c : licence) {
    flipped += (c >= u'a' && c <= u'z') ? char16_t(c - 32) : (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  }
  ASSERT_NE(flipped, licence);
  EXPECT_EQ(count(u"SELECT * FROM Control WHERE License_Nbr = '" + flipped + u"'"), 1u);
  EXPECT_EQ(count(u"SELECT * FROM Control WHERE License_Nbr = '" + flipped + u" '"), 0u);
  EXPECT_EQ(count(u"SELECT * FROM Control WHERE License_Nbr <> '" + flipped + u"'"), 0u);
  // The value comes back as stored, not folded.
  auto rows = jet::sql::query(*db_, u"SELECT License_Nbr FROM Control WHERE License_Nbr = '" + flipped + u"'");
  EXPECT_EQ(rows->value(0, 0).get<std::u16string>(), licence);
  EXPECT_TRUE(jet::sql::equalsIgnoringCase(u"Gon\u00c7alves M\u00dcLLER", u"gon\u00e7alves m\u00fcller"));
  EXPECT_FALSE(jet::sql::equalsIgnoringCase(u"Muller", u"M\u00fcller"));
  EXPECT_EQ(jet::sql::hashText(u"O'BRIEN"), jet::sql::hashText(u"o'brien"));
}

TEST_F(SqlQueryTest, JoinMatchesAnIndependentNestedLoop) {
  const auto& q = oracle_->table("Qualifications");
  const auto& r = oracle_->table("Roster");
  size_t expected = 0;
  for (const auto& qr : q.rows) {
    const Json& agent = qr[q.column("AgentID")];
    for (const auto& rr : r.rows) {
      const Json& id = rr[r.column("ID")];
      if (!agent.isNull() && !id.isNull() && agent.asNumber() == id.asNumber()) ++expected;
    }
  }
  ASSERT_GT(expected, 0u);
  // Some qualifications belong to no roster row; the join must leave them out.
  ASSERT_LT(expected, q.rows.size());
  EXPECT_EQ(count(u"SELECT Qualifications.QID FROM Qualifications INNER JOIN Roster ON "
                  u"Qualifications.AgentID = Roster.ID"),
            expected);
  // Either side may be hashed; the same rows come out when the sides are swapped.
  EXPECT_EQ(count(u"SELECT Q.QID FROM Roster AS R INNER JOIN Qualifications Q ON R.ID = Q.AgentID"),
            expected);
  // A further ON condition on one side filters like WHERE.
  size_t passedJoined = count(u"SELECT Q.QID FROM Roster R INNER JOIN Qualifications Q ON "
                              u"R.ID = Q.AgentID AND Q.PassFail = True");
  EXPECT_EQ(passedJoined, count(u"SELECT Q.QID FROM Roster R INNER JOIN Qualifications Q ON "
                                u"R.ID = Q.AgentID WHERE Q.PassFail = True"));
  EXPECT_LT(passedJoined, expected);
}

TEST_F(SqlQueryTest, SelectStarNamesAndColumnOrder) {
  auto rows = jet::sql::query(*db_, u"select * from [roster]");
  const auto& t = oracle_->table("Roster");
  ASSERT_EQ(rows->columnCount(), t.columns.size());
  for (size_t i = 0; i < t.columns.size(); ++i) {
    EXPECT_EQ(std::string(rows->column(i).name.begin(), rows->column(i).name.end()), t.columns[i].name);
  }
  EXPECT_EQ(rows->rowCount(), t.rows.size());
  ASSERT_NE(rows->baseTable(), nullptr);
  // Columns of one name from two tables are told apart by their table.
  auto joined = jet::sql::query(*db_, u"SELECT Qualifications.Location, Training.Location FROM "
                                      u"Qualifications INNER JOIN Training ON "
                                      u"Qualifications.AgentID = Training.AgentID");
  EXPECT_EQ(joined->column(0).name, u"Qualifications.Location");
  EXPECT_EQ(joined->column(1).name, u"Training.Location");
  EXPECT_EQ(joined->baseTable(), nullptr);
}

TEST_F(SqlQueryTest, NamesAndTypesAreCheckedBeforeAnyRowIsRead) {
  using jet::errc::kTableNotFound;
  using jet::errc::kTypeMismatch;
  EXPECT_EQ(errorOf(u"SELECT * FROM NoSuchTable"), kTableNotFound);
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster INNER JOIN Nowhere ON Roster.ID = Nowhere.ID"), kTableNotFound);
  EXPECT_EQ(errorOf(u"SELECT Nothing FROM Roster"), jet::sql::kUnknownName);
  EXPECT_EQ(errorOf(u"SELECT Training.ID FROM Roster"), jet::sql::kUnknownName);
  // Location is in both tables.
  EXPECT_EQ(errorOf(u"SELECT Location FROM Qualifications INNER JOIN Training ON "
                    u"Qualifications.AgentID = Training.AgentID"),
            jet::sql::kUnknownName);
  // Joining text with a number, or on a memo.
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster INNER JOIN Qualifications ON Roster.LName = "
                    u"Qualifications.AgentID"),
            kTypeMismatch);
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster INNER JOIN Qualifications ON Roster.Notes = "
                    u"Qualifications.Notes"),
            kTypeMismatch);
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster WHERE LName = 5"), kTypeMismatch);
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster WHERE ID = 'five'"), kTypeMismatch);
  // A join needs an equality between its two sides.
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster INNER JOIN Qualifications ON Roster.ID > "
                    u"Qualifications.AgentID"),
            jet::errc::kSyntaxError);
  EXPECT_EQ(errorOf(u"SELECT * FROM Roster R INNER JOIN Roster R ON R.ID = R.ID"), jet::errc::kSyntaxError);
}

}  // namespace
