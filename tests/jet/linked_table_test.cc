// Linked tables followed to their back ends (where the back end is looked for is covered by
// the split pairs of the data layer's source-query tests): queries through links (shared back
// ends, chains, passwords, an Access-made front end, an Access 97 back end), and the
// clear failures of broken links with every file left as it was. Writes through links are
// refused in the data layer's write-path tests.
#include <gtest/gtest.h>

#include <fstream>

#include "jet/read/database.h"
#include "jet/write/database_create.h"
#include "jet/write/database_writer.h"
#include "jet/util/error.h"
#include "jet/sql/executor.h"
#include "jet/util/unicode.h"
#include "tests/support/file_bytes.h"
#include "tests/support/file_writer.h"
#include "tests/support/paths.h"

namespace {

namespace fs = std::filesystem;
using testsupport::fileBytes;

void create(const fs::path& file, const std::u16string& password) {
  jet::CreateOptions options;
  options.password = password;
  jet::createDatabase(file, options);
}

// A back end with the table People (Id, Name): rows 1 Ann, 2 Bo.
void makeBackEnd(const fs::path& file, const std::u16string& password = u"") {
  testsupport::FileWriter w(file, {{u"People", {{u"Id", jet::ColumnType::Long}, {u"Name", jet::ColumnType::Text}}}},
                            jet::DatabaseWriter::Durability::kEachRow, {password, {}});
  w.insertRow(u"People", {jet::Value(int32_t{1}), jet::Value(std::u16string(u"Ann"))});
  w.insertRow(u"People", {jet::Value(int32_t{2}), jet::Value(std::u16string(u"Bo"))});
}

// A file of links only; it is created when it does not exist yet.
void addLinks(const fs::path& file, const std::vector<jet::LinkSpec>& links, const std::u16string& password = u"") {
  if (!fs::exists(file)) create(file, password);
  testsupport::FileWriter w(file, testsupport::FileWriter::Durability::kEachRow, password);
  for (const auto& l : links) w.createLink(l);
}

jet::LinkSpec link(const char16_t* name, const fs::path& database, const char16_t* foreign = u"People") {
  return {name, database.u16string(), foreign, u""};
}

size_t rowCount(jet::Database& db, const std::u16string& sql) { return jet::sql::query(db, sql)->rowCount(); }

}  // namespace

TEST(LinkedTableTest, QueriesReadLinkedRowsAndShareOneBackEnd) {
  testsupport::TempDir dir;
  const fs::path be = dir / "be.mdb", mid = dir / "mid.mdb", fe = dir / "fe.mdb";
  makeBackEnd(be, u"be-secret");
  // Two links into one back end (one under another name), one through a file that links on,
  // and one back into the front end itself.
  addLinks(mid, {{u"People", be.u16string(), u"People", u"MS Access;PWD=be-secret"}}, u"fe-secret");
  addLinks(fe,
           {{u"People", u"be.mdb", u"People", u";PWD=be-secret"},
            {u"Staff", be.u16string(), u"People", u"MS Access;PWD=be-secret"},
            {u"Chained", u"mid.mdb", u"People", u""}},
           u"fe-secret");
  testsupport::FileWriter(fe, testsupport::FileWriter::Durability::kEachRow, u"fe-secret")
      .createTable({u"Local", {{u"Id", jet::ColumnType::Long}}});
  addLinks(fe, {link(u"Again", fe, u"Local")}, u"fe-secret");

  auto db = jet::Database::open(fe, u"fe-secret");
  auto all = jet::sql::query(db, u"SELECT * FROM People");
  ASSERT_EQ(all->rowCount(), 2u);
  ASSERT_EQ(all->columnCount(), 2u);
  EXPECT_EQ(all->column(1).name, u"Name");
  EXPECT_EQ(all->value(1, 1).get<std::u16string>(), u"Bo");
  EXPECT_EQ(all->baseTableLink(), u"People");
  EXPECT_EQ(rowCount(db, u"SELECT Staff.Name FROM Staff INNER JOIN People ON Staff.Id = People.Id WHERE People.Id = 2"), 1u);
  EXPECT_EQ(db.openBackEnds(), 1u);
  // The middle file has no password of its own for the back end: the link's is used there,
  // and the middle file itself opens with the front end's.
  EXPECT_EQ(rowCount(db, u"SELECT Name FROM Chained"), 2u);
  EXPECT_EQ(db.openBackEnds(), 2u);
  EXPECT_EQ(rowCount(db, u"SELECT * FROM Again"), 0u);
  EXPECT_EQ(db.openBackEnds(), 2u);
}

TEST(LinkedTableTest, BrokenLinksFailClearlyAndChangeNothing) {
  testsupport::TempDir dir;
  const fs::path be = dir / "be.mdb", fe = dir / "fe.mdb", other = dir / "other.mdb";
  makeBackEnd(be, u"be-secret");
  std::ofstream(dir / "notes.mdb") << "not a database at all, but long enough to be read as one or not";
  addLinks(other, {link(u"Loop", fe, u"Loop")});
  addLinks(fe, {
                   link(u"Missing", dir / "gone" / "absent.mdb"),
                   link(u"Notes", dir / "notes.mdb"),
                   {u"WrongPwd", be.u16string(), u"People", u"MS Access;PWD=nope"},
                   {u"NoTable", be.u16string(), u"Nobody", u";PWD=be-secret"},
                   link(u"Loop", other, u"Loop"),
                   {u"Remote", u"", u"dbo.People", u"ODBC;DSN=Staff;UID=sa;PWD=x", true},
               });
  const std::string feBytes = fileBytes(fe), beBytes = fileBytes(be), otherBytes = fileBytes(other);

  struct Case {
    const char16_t* table;
    int32_t number;
    std::vector<std::string> said;  // pieces the message must hold
  } cases[] = {
      {u"Missing", jet::errc::kUnspecified, {"'Missing'", "not found", "absent.mdb' and '", (dir / "absent.mdb").string()}},
      {u"Notes", jet::errc::kUnspecified, {"'Notes'", "notes.mdb", "cannot be read"}},
      {u"WrongPwd", jet::errc::kInvalidPassword, {"Not a valid password.", "'WrongPwd'", be.string()}},
      {u"NoTable", jet::errc::kTableNotFound, {"'NoTable'", "'Nobody'", be.string(), "no table"}},
      {u"Loop", jet::errc::kUnspecified, {"'Loop'", "circle"}},
      {u"Remote", jet::errc::kUnspecified, {"'Remote'", "ODBC", "'Staff'"}},
  };
  {
    auto db = jet::Database::open(fe);
    for (const Case& c : cases) {
      SCOPED_TRACE(jet::toUtf8(c.table));
      try {
        jet::sql::query(db, u"SELECT * FROM " + std::u16string(c.table));
        ADD_FAILURE() << "no error";
      } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), c.number) << e.description();
        for (const auto& piece : c.said) EXPECT_NE(std::string(e.description()).find(piece), std::string::npos) << e.description();
        EXPECT_EQ(std::string(e.description()).find("PWD"), std::string::npos) << "a password shown";
      }
    }
  }
  EXPECT_EQ(fileBytes(fe), feBytes);
  EXPECT_EQ(fileBytes(be), beBytes);
  EXPECT_EQ(fileBytes(other), otherBytes);
}

// A front end Access made, whose links store C:\db\linkee1.mdb and C:\db\linkee2.mdb: copied
// beside their back ends, as an office copies them, the links are followed by file name.
TEST(LinkedTableTest, AccessMadeLinksAreFollowedToBackEndsBesideThem) {
  testsupport::TempDir dir;
  for (const char* name : {"linked.mdb", "linkee1.mdb", "linkee2.mdb"}) {
    fs::copy_file(testsupport::corpusFile(std::string("ucanaccess/") + name), dir / name);
  }
  auto db = jet::Database::open(dir / "linked.mdb");
  ASSERT_EQ(db.links().size(), 2u);
  auto one = jet::sql::query(db, u"SELECT ID, field1 FROM Table1");
  ASSERT_EQ(one->rowCount(), 1u);
  EXPECT_EQ(one->value(0, 1).get<std::u16string>(), u"ciao bello");
  EXPECT_EQ(jet::sql::query(db, u"SELECT * FROM table2")->rowCount(), 1u);
  EXPECT_EQ(db.openBackEnds(), 2u);

  // An Access 97 back end behind a Jet 4 front end: a join of two of its tables, its text in
  // code page 1252.
  fs::copy_file(testsupport::corpusFile("mdbtestdata/nwind.mdb"), dir / "nwind.mdb");
  // Its 13 reports (type -32764) are no ODBC links (type 4).
  EXPECT_TRUE(jet::Database::open(dir / "nwind.mdb").links().empty());
  addLinks(dir / "front.mdb", {link(u"Orders", u"nwind.mdb", u"Orders"), link(u"Kunden", u"nwind.mdb", u"Customers")});
  auto front = jet::Database::open(dir / "front.mdb");
  EXPECT_EQ(rowCount(front, u"SELECT Orders.OrderID FROM Orders INNER JOIN Kunden ON Orders.CustomerID = "
                            u"Kunden.CustomerID WHERE Kunden.Country = 'Germany'"),
            122u);
  auto koene = jet::sql::query(front, u"SELECT CompanyName FROM Kunden WHERE CustomerID = 'KOENE'");
  ASSERT_EQ(koene->rowCount(), 1u);
  EXPECT_EQ(koene->value(0, 0).get<std::u16string>(), u"K\u00F6niglich Essen");
  EXPECT_EQ(koene->column(0).size, 40u);  // Text(40): one byte a character
}
