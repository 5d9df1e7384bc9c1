#include "data/connection.h"

#include <gtest/gtest.h>

#include <fstream>

#include "data/recordset.h"
#include "tests/data/data_test_support.h"

namespace {

using namespace datatest;

TEST(ConnectionTest, OpenWithPropertiesOrArgumentsAndClose) {
  data::Connection cn;
  EXPECT_EQ(cn.state(), data::adStateClosed);
  cn.setCursorLocation(data::adUseClient);
  cn.setConnectionString(openString(generated("tarvo_sample.mdb")));
  cn.open();
  EXPECT_EQ(cn.state(), data::adStateOpen);
  EXPECT_EQ(cn.cursorLocation(), data::adUseClient);
  EXPECT_EQ(errorOf([&] { cn.open(); }), data::errc::kObjectOpen);
  EXPECT_EQ(errorOf([&] { cn.setConnectionString(u"x"); }), data::errc::kObjectOpen);
  cn.close();
  EXPECT_EQ(cn.state(), data::adStateClosed);
  EXPECT_EQ(errorOf([&] { cn.close(); }), data::errc::kObjectClosed);
  EXPECT_EQ(errorOf([&] { cn.execute(u"SELECT * FROM Roster"); }), data::errc::kObjectClosed);

  // Empty arguments and options -1 take the ConnectionString property.
  cn.open(u"", u"", u"", data::adConnectUnspecified);
  EXPECT_EQ(cn.state(), data::adStateOpen);
  // Copies are the same connection.
  data::Connection copy = cn;
  copy.close();
  EXPECT_EQ(cn.state(), data::adStateClosed);
  // A connection string argument replaces the property.
  data::Connection other;
  other.open(openString(generated("tarvo_sample.mdb")), u"", u"", -1);
  EXPECT_EQ(other.connectionString(), openString(generated("tarvo_sample.mdb")));
}

TEST(ConnectionTest, FailuresCarryTheProviderNumbers) {
  testsupport::TempDir dir;
  auto openFails = [](const std::u16string& cs) {
    data::Connection cn;
    cn.setConnectionString(cs);
    int n = errorOf([&] { cn.open(); });
    EXPECT_EQ(cn.state(), data::adStateClosed);
    return n;
  };
  EXPECT_EQ(openFails(openString(generated("tarvo_sample.mdb"), u"wrong")), data::errc::kInvalidPassword);
  EXPECT_EQ(openFails(openString(generated("tarvo_sample.mdb"), u"krvndqlt-58203")), data::errc::kInvalidPassword);
  EXPECT_EQ(openFails(openString(dir / "missing.mdb")), data::errc::kUnspecified);
  {
    std::ofstream junk(dir / "junk.mdb");
    junk << std::string(10000, 'x');
  }
  EXPECT_EQ(openFails(openString(dir / "junk.mdb")), data::errc::kUnspecified);
  EXPECT_EQ(openFails(u"Provider=SQLOLEDB;Data Source=x"), data::errc::kProviderNotFound);
  EXPECT_EQ(openFails(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source"), data::errc::kBadConnectionString);
  EXPECT_EQ(openFails(u""), data::errc::kProviderNotFound);

  // A file without a password opens with one given.
  data::Connection cn;
  cn.setConnectionString(openString(generated("cert_reference.mdb")));
  cn.open();
  EXPECT_EQ(cn.state(), data::adStateOpen);
}

TEST(ConnectionTest, ExecuteReportsSqlErrors) {
  data::Connection cn = openSample();
  EXPECT_EQ(errorOf([&] { cn.execute(u"SELECT * FROM Roster"); }), 0);
  EXPECT_EQ(errorOf([&] { cn.execute(u"SELECT * FROM Nowhere"); }), data::errc::kTableNotFound);
  EXPECT_EQ(errorOf([&] { cn.execute(u"DELETE FROM"); }), data::errc::kSyntaxError);
  EXPECT_EQ(errorOf([&] { cn.execute(u"DROP TABLE Roster"); }), data::errc::kSyntaxError);
}

}  // namespace
