// CreateAccessDatabase and CreateAccessTable: the file, its one table and twelve columns,
// read back by our data layer and by two independent readers.
#include <gtest/gtest.h>

#include "certfile/create.h"
#include "tests/certfile/certfile_fixture.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace {

namespace fs = std::filesystem;

struct Expected {
  const char16_t* name;
  int type;
  const char* reader;  // mdb-reader's type name
};

// The upload format as read back: Jet 4.0 keeps every text column as Unicode, so Type,
// created with code 200, reads back like the others.
constexpr Expected kColumns[] = {
    {u"RecID", data::adInteger, "long"},     {u"LName", data::adVarWChar, "text"},
    {u"FName", data::adVarWChar, "text"},    {u"Course", data::adVarWChar, "text"},
    {u"Date", data::adDate, "datetime"},     {u"Location", data::adVarWChar, "text"},
    {u"Email", data::adVarWChar, "text"},    {u"Expiration", data::adDate, "datetime"},
    {u"LicenseNo", data::adVarWChar, "text"}, {u"Office", data::adVarWChar, "text"},
    {u"Licensee", data::adVarWChar, "text"}, {u"Type", data::adVarWChar, "text"},
};

fs::path created(const testsupport::TempDir& dir, const std::string& name = "L-1.mdb") {
  const fs::path file = dir / name;
  certfile::CreateAccessDatabase(file.u16string());
  certfile::CreateAccessTable(file.u16string());
  return file;
}

TEST(Create, OneTableWithTheTwelveColumnsInOrderAndNoRows) {
  testsupport::TempDir dir;
  const fs::path file = created(dir);
  data::Connection cn = certtest::openFile(file);
  data::Recordset rs;
  rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockOptimistic, data::adCmdText);
  EXPECT_EQ(rs.recordCount(), 0);
  ASSERT_EQ(rs.fields().count(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(rs.fields().item(i).name(), kColumns[i].name) << i;
  }
  EXPECT_EQ(rs.fields().item(u"Date").type(), data::adDate);
  EXPECT_EQ(rs.fields().item(u"Expiration").type(), data::adDate);
  EXPECT_EQ(rs.fields().item(u"RecID").type(), data::adInteger);

  EXPECT_EQ(testsupport::mdbVer(file), "JET4");
  EXPECT_EQ(testsupport::mdbTables(file), std::vector<std::string>{"Tarvo_Certs"});
  const auto schema = testsupport::mdbSchema(file);
  ASSERT_EQ(schema.size(), 1u);
  ASSERT_EQ(schema[0].columns.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(schema[0].columns[i].name, std::string(kColumns[i].name, kColumns[i].name + std::char_traits<char16_t>::length(kColumns[i].name)));
  }
  EXPECT_EQ(schema[0].columns[0].type, "Long Integer");
  EXPECT_EQ(schema[0].columns[4].type, "DateTime");

  const auto dump = testsupport::mdbReaderDump(file);
  const auto& table = dump.table("Tarvo_Certs");
  ASSERT_EQ(table.columns.size(), 12u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(table.columns[i].type, kColumns[i].reader) << i;
  EXPECT_TRUE(table.columns[0].autoLong);
  EXPECT_EQ(table.rowCount, 0);
  EXPECT_FALSE(dump.password.has_value() && !dump.password->empty());
}

TEST(Create, RecIdIsNumberedByTheDatabaseAndEmailTakesNull) {
  testsupport::TempDir dir;
  const fs::path file = created(dir, "with blanks in name.mdb");
  {
    data::Connection cn = certtest::openFile(file);
    data::Recordset rs;
    rs.setCursorLocation(data::adUseClient);
    rs.open(u"SELECT * FROM Tarvo_Certs", cn, data::adOpenStatic, data::adLockOptimistic, data::adCmdText);
    for (int i = 0; i < 3; ++i) {
      rs.addNew();
      rs.field(u"LName").setValue(std::u16string(u"x"));
      rs.field(u"Email").setValue(data::Value());
      rs.field(u"Type").setValue(std::u16string(u"Q"));
      rs.updateBatch(data::adAffectAll);
    }
  }
  const auto dump = testsupport::mdbReaderDump(file);
  const auto& table = dump.table("Tarvo_Certs");
  ASSERT_EQ(table.rows.size(), 3u);
  const size_t recId = table.column("RecID"), email = table.column("Email");
  std::vector<double> ids;
  for (const auto& row : table.rows) {
    ids.push_back(row[recId].asNumber());
    EXPECT_TRUE(row[email].isNull());
  }
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_NE(ids[1], ids[2]);
  EXPECT_NE(ids[0], ids[2]);
}

TEST(Create, FailuresReachTheCallerUnchanged) {
  testsupport::TempDir dir;
  const fs::path file = created(dir);
  // Over an existing file: the catalog refuses to create it again.
  EXPECT_THROW(certfile::CreateAccessDatabase(file.u16string()), data::Error);
  // A second table of the same name.
  EXPECT_THROW(certfile::CreateAccessTable(file.u16string()), data::Error);
  // No file at all.
  EXPECT_THROW(certfile::CreateAccessTable((dir / "missing.mdb").u16string()), data::Error);
  EXPECT_FALSE(fs::exists(dir / "missing.mdb"));
  // A directory that does not exist.
  EXPECT_THROW(certfile::CreateAccessDatabase((dir / "no" / "such.mdb").u16string()), data::Error);
}

}  // namespace
