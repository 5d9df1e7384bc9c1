#include "data/connection_string.h"

#include <gtest/gtest.h>

#include "data/error.h"
#include "tests/support/error_number.h"

namespace {

using data::ConnectionString;

int errorOf(std::u16string_view text) {
  return testsupport::errorNumberOf([&] { ConnectionString::parse(text).requireJetFile(); });
}

// The three forms the system writes: opening a source or certificate file, creating one,
// and the catalog's string with a blank before '=' and no trailing semicolon.
TEST(ConnectionStringTest, FormsTheSystemWrites) {
  auto open = ConnectionString::parse(
      u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Tarvo Data\\tarvo 1.mdb;"
      u"Jet OLEDB:Database Password=KRVNDQLT-58203;Mode=Read|Write");
  EXPECT_EQ(open.provider, u"Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(open.dataSource, u"C:\\Tarvo Data\\tarvo 1.mdb");
  EXPECT_EQ(open.password, u"KRVNDQLT-58203");
  EXPECT_TRUE(open.readable);
  EXPECT_TRUE(open.writable);
  EXPECT_FALSE(open.engineType);

  auto create = ConnectionString::parse(
      u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/L-1.mdb;Jet OLEDB:Engine Type=5;");
  EXPECT_EQ(create.dataSource, u"/tmp/L-1.mdb");
  EXPECT_EQ(create.engineType, 5);
  EXPECT_FALSE(create.password);

  auto catalog = ConnectionString::parse(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =/tmp/a b.mdb");
  EXPECT_EQ(catalog.dataSource, u"/tmp/a b.mdb");
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source =/tmp/a b.mdb"), 0);
}

TEST(ConnectionStringTest, KeysIgnoreCaseAndBlanksValuesMayBeQuoted) {
  auto cs = ConnectionString::parse(
      u"  provider = microsoft.jet.oledb.4.0 ; DATA SOURCE = \"C:\\x;y=z.mdb\" ;"
      u"jet oledb:database password='it''s'; mode = Read ;;");
  EXPECT_EQ(cs.dataSource, u"C:\\x;y=z.mdb");
  EXPECT_EQ(cs.password, u"it's");
  EXPECT_TRUE(cs.readable);
  EXPECT_FALSE(cs.writable);
  EXPECT_EQ(errorOf(u"provider = microsoft.jet.oledb.4.0 ; DATA SOURCE = a.mdb"), 0);
  // An empty quoted password differs from no password.
  EXPECT_EQ(ConnectionString::parse(u"Jet OLEDB:Database Password=\"\"").password, u"");
  EXPECT_EQ(ConnectionString::parse(u"").dataSource, std::nullopt);
}

TEST(ConnectionStringTest, ModeWords) {
  EXPECT_TRUE(ConnectionString::parse(u"Mode=Share Deny None").writable);
  EXPECT_FALSE(ConnectionString::parse(u"Mode=Read|Share Deny Write").writable);
  EXPECT_TRUE(ConnectionString::parse(u"Mode=ReadWrite").writable);
  EXPECT_TRUE(ConnectionString::parse(u"Mode=3").writable);
  EXPECT_FALSE(ConnectionString::parse(u"Mode=1").writable);
}

TEST(ConnectionStringTest, TextThatCannotBeUnderstoodIsAnError) {
  const int bad = data::errc::kBadConnectionString;
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;C:\\file.mdb"), bad);        // no '='
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;=x"), bad);                  // no key
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"a.mdb"), bad);  // open quote
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"a\"b"), bad);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Sorce=a.mdb"), bad);     // unknown key
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a;Data Source=b"), bad);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a;Mode=Read|Wrte"), bad);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a;Jet OLEDB:Engine Type=five"), bad);
  // The same key twice with the same value is not ambiguous.
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a;data source=a"), 0);
}

TEST(ConnectionStringTest, OnlyTheJetProviderOpensAFile) {
  EXPECT_EQ(errorOf(u"Data Source=a.mdb"), data::errc::kProviderNotFound);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=a.mdb"),
            data::errc::kProviderNotFound);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0"), data::errc::kUnspecified);
  EXPECT_EQ(errorOf(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source="), data::errc::kUnspecified);
}

}  // namespace
