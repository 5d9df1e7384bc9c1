// The statements the system sends, parsed into their parts, and what is refused.
#include <gtest/gtest.h>

#include "jet/util/error.h"
#include "jet/sql/parser.h"
#include "jet/sql/type_words.h"

namespace {

using namespace jet::sql;

std::string syntaxErrorOf(std::u16string_view sql) {
  try {
    parse(sql);
  } catch (const jet::Error& e) {
    EXPECT_EQ(e.number(), jet::errc::kSyntaxError) << e.what();
    return e.what();
  }
  ADD_FAILURE() << "accepted";
  return {};
}

TEST(SqlParserTest, NestedInnerJoinWithQualifiedNames) {
  Statement s = parse(
      u"SELECT Control.Licensee, Qualifications.Course FROM Control INNER JOIN (Qualifications "
      u"INNER JOIN Roster ON Qualifications.AgentID = Roster.ID) ON Control.License_Nbr = "
      u"Roster.License WHERE Qualifications.PassFail = True");
  const auto& sel = std::get<SelectStatement>(s);
  ASSERT_EQ(sel.items.size(), 2u);
  EXPECT_EQ(sel.items[0].column.table, u"Control");
  EXPECT_EQ(sel.items[0].column.column, u"Licensee");
  ASSERT_EQ(sel.from.kind, FromItem::Kind::InnerJoin);
  EXPECT_EQ(sel.from.left->table, u"Control");
  ASSERT_EQ(sel.from.right->kind, FromItem::Kind::InnerJoin);
  EXPECT_EQ(sel.from.right->left->table, u"Qualifications");
  EXPECT_EQ(sel.from.right->right->table, u"Roster");
  EXPECT_EQ(sel.from.on.args[0].column.column, u"License_Nbr");
  ASSERT_TRUE(sel.where);
  EXPECT_EQ(sel.where->kind, Expr::Kind::Compare);
  EXPECT_EQ(sel.where->args[1].literal, jet::Value(true));
}

TEST(SqlParserTest, KeywordsInAnyCaseBracketsAndLiterals) {
  Statement s = parse(u"select [Order Details].[Unit Price] as P from [Order Details] where [Unit Price] "
            u">= -2.5 and Name = 'it''s' or Day < #12/31/1999# or Flag is not null;");
  const auto& sel = std::get<SelectStatement>(s);
  EXPECT_EQ(sel.items[0].column.table, u"Order Details");
  EXPECT_EQ(sel.items[0].alias, u"P");
  EXPECT_EQ(sel.from.table, u"Order Details");
  // OR binds looser than AND.
  ASSERT_EQ(sel.where->kind, Expr::Kind::Or);
  const Expr& andPart = sel.where->args[0].args[0];
  ASSERT_EQ(andPart.kind, Expr::Kind::And);
  EXPECT_EQ(andPart.args[0].args[1].literal, jet::Value(-2.5));
  EXPECT_EQ(andPart.args[1].args[1].literal, jet::Value(std::u16string(u"it's")));
  EXPECT_EQ(sel.where->args[0].args[1].args[1].literal, jet::Value(jet::DateTime{36525}));
  EXPECT_EQ(sel.where->args[1].kind, Expr::Kind::IsNotNull);
  // A keyword in brackets is a name.
  Statement bracketed = parse(u"SELECT [Select] FROM [From]");
  EXPECT_EQ(std::get<SelectStatement>(bracketed).from.table, u"From");
}

TEST(SqlParserTest, DeleteForms) {
  EXPECT_EQ(std::get<DeleteStatement>(parse(u"DELETE * FROM Tarvo_Certs")).table, u"Tarvo_Certs");
  EXPECT_EQ(std::get<DeleteStatement>(parse(u"delete from Tarvo_Certs")).table, u"Tarvo_Certs");
  auto d = std::get<DeleteStatement>(parse(u"DELETE Tarvo_Certs.* FROM Tarvo_Certs WHERE Type = 'Q'"));
  EXPECT_TRUE(d.where);
}

TEST(SqlParserTest, AlterTableTypeWords) {
  auto a = std::get<AddColumnStatement>(parse(u"ALTER TABLE Tarvo_Certs ADD COLUMN Type String"));
  EXPECT_EQ(a.table, u"Tarvo_Certs");
  EXPECT_EQ(a.column, u"Type");
  EXPECT_EQ(a.type.type, jet::ColumnType::Text);
  EXPECT_EQ(a.type.size, 255);
  auto sized = std::get<AddColumnStatement>(parse(u"alter table t add column [My Col] text(50) not null"));
  EXPECT_EQ(sized.type.size, 50);
  EXPECT_TRUE(sized.notNull);
  struct Case {
    const char16_t* word;
    jet::ColumnType type;
  } cases[] = {
      {u"Long", jet::ColumnType::Long},        {u"Integer", jet::ColumnType::Long},
      {u"Short", jet::ColumnType::Integer},    {u"Byte", jet::ColumnType::Byte},
      {u"Date", jet::ColumnType::DateTime},    {u"DateTime", jet::ColumnType::DateTime},
      {u"Memo", jet::ColumnType::Memo},        {u"Bit", jet::ColumnType::Boolean},
      {u"YesNo", jet::ColumnType::Boolean},    {u"Double", jet::ColumnType::Double},
      {u"Single", jet::ColumnType::Single},    {u"Currency", jet::ColumnType::Currency},
      {u"Guid", jet::ColumnType::Guid},        {u"Text", jet::ColumnType::Text},
  };
  for (const Case& c : cases) {
    auto t = typeOfWord(c.word);
    ASSERT_TRUE(t) << std::string(c.word, c.word + std::char_traits<char16_t>::length(c.word));
    EXPECT_EQ(t->type, c.type);
  }
  EXPECT_TRUE(typeOfWord(u"counter")->autoIncrement);
  EXPECT_FALSE(typeOfWord(u"Varchar2"));
}

TEST(SqlParserTest, AnythingElseIsASyntaxErrorThatSaysWhere) {
  EXPECT_NE(syntaxErrorOf(u"SELEC * FROM t").find("character 1"), std::string::npos);
  EXPECT_NE(syntaxErrorOf(u"SELECT * FROM t WHERE").find("end of the statement"), std::string::npos);
  EXPECT_NE(syntaxErrorOf(u"SELECT * FROM t extra words").find("'words'"), std::string::npos);
  syntaxErrorOf(u"");
  syntaxErrorOf(u"SELECT * FROM t ORDER BY x");
  syntaxErrorOf(u"SELECT DISTINCT a FROM t");
  syntaxErrorOf(u"SELECT * FROM a LEFT JOIN b ON a.x = b.y");
  syntaxErrorOf(u"SELECT * FROM a, b");
  syntaxErrorOf(u"SELECT * FROM a JOIN b ON a.x = b.y");
  syntaxErrorOf(u"SELECT * FROM a INNER JOIN b");
  syntaxErrorOf(u"SELECT Count(*) FROM t");
  syntaxErrorOf(u"SELECT * FROM [t");
  syntaxErrorOf(u"SELECT * FROM t WHERE a = 'open");
  syntaxErrorOf(u"SELECT * FROM t WHERE a = #2020-02-30#");
  syntaxErrorOf(u"SELECT * FROM t WHERE a = b = ");
  syntaxErrorOf(u"DELETE * FROM");
  syntaxErrorOf(u"DELETE a.* FROM b");
  syntaxErrorOf(u"INSERT INTO t VALUES (1)");
  syntaxErrorOf(u"ALTER TABLE t ADD COLUMN c Blah");
  syntaxErrorOf(u"ALTER TABLE t ADD COLUMN c Long(4)");
  syntaxErrorOf(u"ALTER TABLE t ADD COLUMN c Text(300)");
  syntaxErrorOf(u"ALTER TABLE t DROP COLUMN c");
  syntaxErrorOf(u"ALTER TABLE t ADD COLUMN c Text, d Text");
  syntaxErrorOf(u"SELECT * FROM t; SELECT * FROM u");
  // Deep nesting is refused, not a crash.
  syntaxErrorOf(u"SELECT * FROM t WHERE " + std::u16string(5000, u'(') + u"a = 1" +
                std::u16string(5000, u')'));
}

}  // namespace
