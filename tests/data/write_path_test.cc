// Creating, filling, emptying and upgrading a certificate file through the data layer, with
// the files checked by independent readers (mdb-schema, mdb-export).
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <set>
#include <string>

#if defined(__unix__)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "certfile/cert_columns.h"
#include "data/engine_writes.h"
#include "data/text.h"
#include "jet/read/database.h"
#include "tests/data/data_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/oracle.h"
#include "tools/tarvo_database.h"
#include "tools/tarvo_model.h"

namespace {

using namespace datatest;
using certfile::kDataColumns;
using testsupport::fileBytes;

const std::u16string kProvider = u"Provider=Microsoft.Jet.OLEDB.4.0;";

// The certificate file as the system creates it, optionally without its last column.
void createCertificateFile(const std::filesystem::path& file, bool withType = true) {
  {
    data::Catalog catalog;
    catalog.create(kProvider + u"Data Source=" + file.u16string() + u";Jet OLEDB:Engine Type=5;");
  }
  data::Catalog catalog;
  catalog.setActiveConnection(kProvider + u"Data Source =" + file.u16string());
  data::Table table;
  table.setName(u"Tarvo_Certs");
  data::Column recId;
  recId.setParentCatalog(catalog);
  recId.setType(data::adInteger);
  recId.setName(certfile::kRecIdColumn);
  recId.properties().item(u"Autoincrement").setValue(true);
  recId.properties().item(u"Description").setValue(std::u16string(certfile::kRecIdDescription));
  table.columns().append(recId);
  for (const certfile::DataColumn& c : kDataColumns) {
    if (!withType && std::u16string_view(c.name) == u"Type") continue;
    table.columns().append(c.name, c.type);
    if (c.attributes) table.columns().item(c.name).setAttributes(c.attributes);
  }
  catalog.tables().append(table);
}

data::Connection openFile(const std::filesystem::path& file, const char16_t* mode = u"Read|Write") {
  data::Connection cn;
  cn.setCursorLocation(data::adUseClient);
  cn.setConnectionString(kProvider + u"Data Source=" + file.u16string() +
                         u";Jet OLEDB:Database Password=" + kPassword + u";Mode=" + mode);
  cn.open(u"", u"", u"", -1);
  return cn;
}

data::Recordset openCerts(const data::Connection& cn) {
  return openThroughProperties(cn, u"SELECT * FROM Tarvo_Certs");
}

// Every stored attribute of each column, as the reference certificate file has them.
void expectColumnsAsInReference(const std::filesystem::path& file) {
  auto ours = jet::Database::open(file).tableDef(u"Tarvo_Certs");
  auto ref = jet::Database::open(testsupport::sharedDir() / "corpus/generated/cert_reference.mdb",
                                 u"KRVNDQLT-58203")
                 .tableDef(u"Tarvo_Certs");
  ASSERT_EQ(ours->columns.size(), ref->columns.size());
  for (size_t i = 0; i < ref->columns.size(); ++i) {
    const auto& o = ours->columns[i];
    const auto& r = ref->columns[i];
    SCOPED_TRACE(data::toUtf8(r.name));
    EXPECT_EQ(o.name, r.name);
    EXPECT_EQ(o.type, r.type);
    EXPECT_EQ(o.length, r.length);
    EXPECT_EQ(o.flags, r.flags);
    EXPECT_EQ(o.extraFlags, r.extraFlags);  // no compressed text unless asked for
    EXPECT_EQ(o.isFixed(), r.isFixed());
  }
}

// What mdb-export reads from the closed file: the number of rows and the Type of the first.
void expectExported(const std::filesystem::path& file, size_t rows, const std::string& firstType) {
  auto csv = testsupport::mdbExport(file, "Tarvo_Certs");
  ASSERT_EQ(csv.rows.size(), rows);
  EXPECT_EQ(csv.rows[0][csv.column("Type")], std::optional<std::string>(firstType));
}

TEST(WritePathTest, NewCertificateFileHasTheTableOthersRead) {
  testsupport::TempDir dir;
  const auto file = dir / "L-918113.mdb";
  createCertificateFile(file);
  auto schema = testsupport::mdbSchema(file);
  ASSERT_EQ(schema.size(), 1u);
  EXPECT_EQ(schema[0].name, "Tarvo_Certs");
  ASSERT_EQ(schema[0].columns.size(), 12u);
  EXPECT_EQ(schema[0].columns[0].name, "RecID");
  EXPECT_EQ(schema[0].columns[0].type, "Long Integer");
  for (size_t i = 0; i < std::size(kDataColumns); ++i) {
    const auto& col = schema[0].columns[i + 1];
    EXPECT_EQ(col.name, data::toUtf8(kDataColumns[i].name));
    EXPECT_EQ(col.type, kDataColumns[i].type == data::adDate ? "DateTime" : "Text (255)");
  }
  expectColumnsAsInReference(file);
  // The file is complete: a second create at the path is refused.
  data::Catalog again;
  EXPECT_NE(errorOf([&] {
              again.create(kProvider + u"Data Source=" + file.u16string() + u";Jet OLEDB:Engine Type=5;");
            }),
            0);
  EXPECT_EQ(errorOf([&] {
              again.create(kProvider + u"Data Source=" + (dir / "old.mdb").u16string() +
                           u";Jet OLEDB:Engine Type=4;");
            }),
            data::errc::kNotSupported);
}

TEST(WritePathTest, AddedRowsAreStoredNumberedAndVisibleToANewRecordset) {
  testsupport::TempDir dir;
  const auto file = dir / "L-1.mdb";
  createCertificateFile(file);
  data::Connection cn = openFile(file);
  data::Recordset rs = openCerts(cn);
  EXPECT_EQ(rs.recordCount(), 0);
  for (int i = 0; i < 3; ++i) {
    rs.addNew();
    rs.field(u"LName").setValue(std::u16string(u"  Jackson ") + char16_t(u'0' + i));
    rs.field(u"Date").setValue(data::DateTime{42364.35 + i});
    rs.field(u"Email").setValue(data::Value());
    rs.field(u"Office").setValue(std::u16string());
    rs.field(u"Type").setValue(std::u16string(u"Q"));
    rs.updateBatch(data::adAffectAll);
  }
  EXPECT_EQ(rs.recordCount(), 3);
  // A value the column refuses fails the write, not the row.
  rs.addNew();
  EXPECT_EQ(errorOf([&] { rs.field(u"Course").setValue(std::u16string(300, u'c')); }),
            data::errc::kIntegrityViolation);
  EXPECT_EQ(errorOf([&] { rs.field(u"RecID").setValue(int32_t{7}); }), data::errc::kIntegrityViolation);
  rs.field(u"Type").setValue(std::u16string(u"T"));
  rs.updateBatch(data::adAffectAll);

  data::Recordset fresh = openCerts(cn);
  ASSERT_EQ(fresh.recordCount(), 4);
  std::set<int32_t> ids;
  for (int i = 0; i < 4; ++i, fresh.moveNext()) {
    ids.insert(fresh.field(u"RecID").value().get<int32_t>());
    if (i == 3) {
      EXPECT_TRUE(fresh.field(u"Course").value().isNull());
      continue;
    }
    EXPECT_EQ(fresh.field(u"LName").value(), data::Value(std::u16string(u"  Jackson ") + char16_t(u'0' + i)));
    EXPECT_EQ(fresh.field(u"Date").value(), data::Value(data::DateTime{42364.35 + i}));
    EXPECT_TRUE(fresh.field(u"Email").value().isNull());
    EXPECT_EQ(fresh.field(u"Office").value(), data::Value(std::u16string()));
  }
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_TRUE(fresh.eof());

  // Another reader sees the same rows.
  rs.close();
  fresh.close();
  cn.close();
  expectExported(file, 4, "Q");
}

// The record set keeps the rows it stored: read back from it they are the values written
// (texts of every length, the numbers the engine gave), also after a row the file refused.
TEST(WritePathTest, TheRecordsetReadsBackTheRowsItStored) {
  testsupport::TempDir dir;
  const auto file = dir / "L-2.mdb";
  createCertificateFile(file);
  data::Connection cn = openFile(file);
  data::Recordset rs = openCerts(cn);
  auto lname = [](int i) { return std::u16string(size_t(3 + 20 * i), char16_t(u'a' + i)); };
  auto addRow = [&](int i) {
    rs.addNew();
    rs.field(u"LName").setValue(lname(i));
    rs.field(u"Date").setValue(data::DateTime{40000.5 + i});
    rs.field(u"Licensee").setValue(std::u16string(u"County Emergency Services Agency"));
    rs.field(u"Type").setValue(std::u16string(i % 2 ? u"T" : u"Q"));
    rs.updateBatch(data::adAffectAll);
  };
  for (int i = 0; i < 3; ++i) addRow(i);
  // Every text at its full length is more than a row can hold: the file refuses the row and
  // the record set drops it.
  rs.addNew();
  for (const certfile::DataColumn& c : kDataColumns) {
    if (c.type != data::adDate) rs.field(c.name).setValue(std::u16string(255, u'x'));
  }
  EXPECT_NE(errorOf([&] { rs.updateBatch(data::adAffectAll); }), 0);
  EXPECT_EQ(rs.recordCount(), 3);
  addRow(3);
  ASSERT_EQ(rs.recordCount(), 4);

  auto expectRows = [&](data::Recordset& r, int count) {
    r.moveFirst();
    for (int i = 0; i < count; ++i, r.moveNext()) {
      SCOPED_TRACE(i);
      EXPECT_EQ(r.field(u"RecID").value(), data::Value(int32_t{i + 1}));
      EXPECT_EQ(r.field(u"LName").value(), data::Value(lname(i)));
      EXPECT_EQ(r.field(u"Date").value(), data::Value(data::DateTime{40000.5 + i}));
      EXPECT_EQ(r.field(u"Licensee").value(), data::Value(std::u16string(u"County Emergency Services Agency")));
      EXPECT_EQ(r.field(u"Type").value(), data::Value(std::u16string(i % 2 ? u"T" : u"Q")));
      EXPECT_TRUE(r.field(u"FName").value().isNull());
    }
    EXPECT_TRUE(r.eof());
  };
  expectRows(rs, 4);
  rs.close();
  cn.close();

  // On the file's one writer the same SELECT keeps where the rows are instead of their
  // values: it reads them alike, adds after them, and once rows were deleted it refuses the
  // old ones rather than read what may be another row by now.
  data::Connection writer = openFile(file, u"Read|Write|Share Deny Write");
  rs = openCerts(writer);
  ASSERT_EQ(rs.recordCount(), 4);
  expectRows(rs, 4);
  addRow(4);
  expectRows(rs, 5);
  writer.execute(u"DELETE * FROM Tarvo_Certs");
  rs.moveFirst();
  EXPECT_EQ(errorOf([&] { rs.field(u"LName").value(); }), data::errc::kNoCurrentRecord);
}

// Copies from another record set's rows: texts longest first (the reused buffers shrink),
// Null with and without an adjustment, a date, and a refused copy that leaves the column.
TEST(WritePathTest, CopiedValuesAreTheSourcesWhateverBufferTheyLandIn) {
  testsupport::TempDir dir;
  const auto file = dir / "L-4.mdb";
  createCertificateFile(file);
  data::Connection cn = openFile(file);
  data::Recordset rs = openCerts(cn);
  auto lname = [](int i) { return std::u16string(size_t(60 - 20 * i), char16_t(u'a' + i)); };
  for (int i = 0; i < 3; ++i) {
    rs.addNew();
    rs.field(u"LName").setValue(lname(i));
    rs.field(u"Date").setValue(data::DateTime{40000.5 + i});
    rs.updateBatch(data::adAffectAll);
  }
  rs.close();
  // Read through a connection of its own: the rows come from the query's result.
  data::Connection reader = openFile(file, u"Read");
  data::Recordset source;
  source.open(u"SELECT * FROM Tarvo_Certs", reader);
  rs = openCerts(cn);
  auto emptyForNull = [](data::Value& v) { if (v.isNull()) v = std::u16string(); };
  for (int i = 0; i < 3; ++i, source.moveNext()) {
    rs.addNew();
    rs.field(u"LName").setValueFrom(source.field(u"LName"));
    rs.field(u"Email").setValueFrom(source.field(u"LName"));
    rs.field(u"FName").setValueFrom(source.field(u"FName"), emptyForNull);
    rs.field(u"Course").setValueFrom(source.field(u"FName"));
    rs.field(u"Expiration").setValueFrom(source.field(u"Date"));
    rs.field(u"Date").setValue(data::DateTime{1.5});
    EXPECT_EQ(errorOf([&] { rs.field(u"Date").setValueFrom(source.field(u"LName")); }), data::errc::kTypeMismatch);
    rs.updateBatch(data::adAffectAll);
  }
  // Failures come in the order of setValue(source.value()): the source's, then this field's.
  data::Field target = rs.field(u"LName");
  rs.close();
  EXPECT_EQ(errorOf([&] { target.setValueFrom(source.field(u"LName")); }), data::errc::kNoCurrentRecord);
  source.moveFirst();
  EXPECT_EQ(errorOf([&] { target.setValueFrom(source.field(u"LName")); }), data::errc::kObjectClosed);
  data::Recordset back;
  back.open(u"SELECT * FROM Tarvo_Certs WHERE RecID > 3", cn);
  for (int i = 0; i < 3; ++i, back.moveNext()) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back.field(u"LName").value(), data::Value(lname(i)));
    EXPECT_EQ(back.field(u"Email").value(), data::Value(lname(i)));
    EXPECT_EQ(back.field(u"FName").value(), data::Value(std::u16string()));
    EXPECT_TRUE(back.field(u"Course").value().isNull());
    EXPECT_EQ(back.field(u"Expiration").value(), data::Value(data::DateTime{40000.5 + i}));
    EXPECT_EQ(back.field(u"Date").value(), data::Value(data::DateTime{1.5}));
  }
  EXPECT_TRUE(back.eof());
}

// storeRow reads the values where the caller keeps them and leaves them as they were,
// stored or refused; of two values for one position the later one is stored.
TEST(WritePathTest, StoreRowReadsItsValuesInPlace) {
  testsupport::TempDir dir;
  const auto file = dir / "L-3.mdb";
  createCertificateFile(file);
  data::Connection cn = openFile(file);
  jet::DatabaseWriter& writer = data::writerOf(cn);
  const auto& def = writer.tableDef(u"Tarvo_Certs");
  auto position = [&](std::u16string_view name) { return *def.findColumn(name); };
  const jet::Value first(std::u16string(200, u'f')), second(std::u16string(100, u's')),
      email(std::u16string(40, u'e')), tooLong(std::u16string(300, u'c'));
  std::vector<std::pair<size_t, const jet::Value*>> values = {
      {position(u"LName"), &first},
      {position(u"Email"), &email},
      {position(u"LName"), &second},
  };
  std::vector<const jet::Value*> scratch;
  EXPECT_EQ(data::storeRow(writer, u"Tarvo_Certs", values, scratch), 1);
  EXPECT_EQ(first, jet::Value(std::u16string(200, u'f')));
  EXPECT_EQ(second, jet::Value(std::u16string(100, u's')));

  // Refused: a text longer than its column. The row after it is numbered on.
  values.push_back({position(u"Course"), &tooLong});
  EXPECT_NE(errorOf([&] { data::storeRow(writer, u"Tarvo_Certs", values, scratch); }), 0);
  EXPECT_EQ(tooLong, jet::Value(std::u16string(300, u'c')));
  values[2].second = &first;
  EXPECT_EQ(data::storeRow(writer, u"Tarvo_Certs", std::span(values).first(3), scratch), 2);
  // A position the table does not have is left out.
  values[3].first = def.columns.size();
  EXPECT_EQ(data::storeRow(writer, u"Tarvo_Certs", values, scratch), 3);

  data::Recordset rs = openCerts(cn);
  ASSERT_EQ(rs.recordCount(), 3);
  EXPECT_EQ(rs.field(u"LName").value(), second);
  EXPECT_EQ(rs.field(u"Email").value(), email);
  EXPECT_TRUE(rs.field(u"Course").value().isNull());
  rs.moveNext();
  EXPECT_EQ(rs.field(u"LName").value(), first);
  rs.moveNext();
  EXPECT_EQ(rs.field(u"LName").value(), first);
  EXPECT_TRUE(rs.field(u"Course").value().isNull());
}

TEST(WritePathTest, DeleteEmptiesAndAlterAddsTheTypeColumn) {
  testsupport::TempDir dir;
  const auto file = dir / "old.mdb";
  createCertificateFile(file, /*withType=*/false);
  data::Connection cn = openFile(file);
  {
    data::Recordset rs = openCerts(cn);
    for (int i = 0; i < 5; ++i) {
      rs.addNew();
      rs.field(u"Course").setValue(std::u16string(u"Course"));
      rs.updateBatch();
    }
    EXPECT_EQ(errorOf([&] { rs.field(u"Type"); }), data::errc::kItemNotFound);
  }
  cn.execute(u"DELETE * FROM Tarvo_Certs WHERE Course = 'nothing'");
  EXPECT_EQ(openCerts(cn).recordCount(), 5);
  cn.execute(u"DELETE * FROM Tarvo_Certs");
  EXPECT_EQ(openCerts(cn).recordCount(), 0);
  cn.execute(u"DELETE FROM Tarvo_Certs");

  cn.execute(u"ALTER TABLE Tarvo_Certs ADD COLUMN Type String");
  data::Recordset rs = openCerts(cn);
  ASSERT_EQ(rs.fields().count(), 12);
  EXPECT_EQ(rs.fields().item(11).name(), u"Type");
  EXPECT_EQ(rs.fields().item(11).definedSize(), 255);
  // Names are case-blind: the column cannot be added twice.
  EXPECT_EQ(errorOf([&] { cn.execute(u"ALTER TABLE Tarvo_Certs ADD COLUMN type String"); }),
            data::errc::kUnspecified);
  EXPECT_EQ(errorOf([&] { cn.execute(u"ALTER TABLE Nowhere ADD COLUMN Type String"); }),
            data::errc::kTableNotFound);
  EXPECT_EQ(errorOf([&] { cn.execute(u"DELETE * FROM Nowhere"); }), data::errc::kTableNotFound);
  EXPECT_EQ(errorOf([&] { cn.execute(u"DELETE * FROM Tarvo_Certs WHERE Date = 'x'"); }),
            data::errc::kTypeMismatch);
  rs.addNew();
  rs.field(u"Type").setValue(std::u16string(u"T"));
  rs.updateBatch();
  // The writer emptied the table itself; a row stored since is found again.
  EXPECT_EQ(openCerts(cn).recordCount(), 1);
  rs.close();
  cn.close();
  expectColumnsAsInReference(file);  // the added Type too
  expectExported(file, 1, "T");
}

// The upgrade runs while the table is open in a record set, which keeps the field list it
// opened with and goes on storing rows; the new column stays Null in them.
TEST(WritePathTest, AlterWhileARecordsetIsOpenOnTheTable) {
  testsupport::TempDir dir;
  const auto file = dir / "open.mdb";
  createCertificateFile(file, /*withType=*/false);
  data::Connection cn = openFile(file);
  data::Recordset rs = openCerts(cn);
  cn.execute(u"ALTER TABLE Tarvo_Certs ADD COLUMN Type String");
  EXPECT_EQ(rs.fields().count(), 11);
  rs.addNew();
  rs.field(u"LName").setValue(std::u16string(u"Kept"));
  EXPECT_EQ(errorOf([&] { rs.field(u"Type").setValue(std::u16string(u"Q")); }), data::errc::kItemNotFound);
  rs.updateBatch();
  data::Recordset fresh = openCerts(cn);
  ASSERT_EQ(fresh.recordCount(), 1);
  EXPECT_EQ(fresh.field(u"LName").value(), data::Value(std::u16string(u"Kept")));
  EXPECT_TRUE(fresh.field(u"Type").value().isNull());
}

TEST(WritePathTest, ReadingNeverWritesAndReadModeRefusesChanges) {
  testsupport::TempDir dir;
  const auto source = dir / "tarvo_copy.mdb";
  std::filesystem::copy_file(generated("tarvo_sample.mdb"), source);
  const std::string before = fileBytes(source);
  {
    data::Connection cn = openFile(source);
    data::Recordset rs;
    rs.open(u"SELECT * FROM Roster INNER JOIN Control ON Roster.License = Control.License_Nbr", cn);
    EXPECT_GT(rs.recordCount(), 0);
  }
  EXPECT_EQ(fileBytes(source), before);

  const auto cert = dir / "cert.mdb";
  createCertificateFile(cert);
  data::Connection readOnly = openFile(cert, u"Read");
  EXPECT_EQ(errorOf([&] { readOnly.execute(u"DELETE * FROM Tarvo_Certs"); }), data::errc::kUnspecified);
  data::Recordset rs = openCerts(readOnly);
  rs.addNew();
  EXPECT_EQ(errorOf([&] { rs.updateBatch(); }), data::errc::kUnspecified);
  // The refused row is dropped, not left to fail every later save.
  EXPECT_EQ(rs.recordCount(), 0);
}

TEST(WritePathTest, CertificateFileWithoutTypeFromAnEarlierVersion) {
  testsupport::TempDir dir;
  const auto file = dir / "cert_without_type.mdb";
  std::filesystem::copy_file(generated("cert_without_type.mdb"), file);
  data::Connection cn = openFile(file);
  const int rows = openCerts(cn).recordCount();
  cn.execute(u"ALTER TABLE Tarvo_Certs ADD COLUMN Type String");
  data::Recordset rs = openCerts(cn);
  EXPECT_EQ(rs.recordCount(), rows);
  EXPECT_EQ(rs.fields().item(rs.fields().count() - 1).name(), u"Type");
  while (!rs.eof()) {
    EXPECT_TRUE(rs.field(u"Type").value().isNull());
    rs.moveNext();
  }
}

}  // namespace

// Stored rows wait in memory and reach the file in groups. Every read through the connection
// sees them all the same, and the file has them once the record set that stored them closes.
TEST(WritePathTest, StoredRowsAreSeenByEveryReadAndWrittenWhenTheRecordsetCloses) {
  testsupport::TempDir dir;
  const auto file = dir / "grouped.mdb";
  createCertificateFile(file);
  data::Connection cn = openFile(file);
  data::Recordset rs = openCerts(cn);
  // Long enough rows that a group fills and is written while rows are still being added.
  constexpr int kRows = 12000;
  const std::u16string course(120, u'c');
  auto add = [&](int i) {
    rs.addNew();
    rs.field(u"LName").setValue(u"Row " + data::fromUtf8(std::to_string(i)));
    rs.field(u"Course").setValue(course);
    rs.field(u"Type").setValue(std::u16string(i % 2 == 0 ? u"Q" : u"T"));
    rs.updateBatch(data::adAffectAll);
  };
  for (int i = 0; i < kRows; ++i) add(i);

  EXPECT_EQ(openCerts(cn).recordCount(), kRows);
  data::Recordset training;
  training.open(u"SELECT LName FROM Tarvo_Certs WHERE Type = 'T'", cn, data::adOpenStatic,
                data::adLockReadOnly, data::adCmdText);
  EXPECT_EQ(training.recordCount(), kRows / 2);
  training.close();
  data::Catalog catalog;
  catalog.setActiveConnection(cn);
  EXPECT_EQ(catalog.tables().count(), 1);
  EXPECT_EQ(catalog.tables().item(u"Tarvo_Certs").columns().count(), 12);
  cn.execute(u"DELETE FROM Tarvo_Certs WHERE Type = 'T'");
  EXPECT_EQ(openCerts(cn).recordCount(), kRows / 2);
  // The record set reads its stored rows back from the file, where a delete may have put
  // other rows in their place: it refuses them rather than show another row.
  rs.moveFirst();
  EXPECT_EQ(errorOf([&] { rs.field(u"LName").value(); }), data::errc::kNoCurrentRecord);

  // A few rows more, too few for a group of their own: the record set's close writes them,
  // and another reader sees every row while the connection is still open.
  for (int i = kRows; i < kRows + 10; ++i) add(i);
  rs.moveFirst();
  for (int i = 0; i <= kRows; ++i) rs.moveNext();
  EXPECT_EQ(rs.field(u"LName").value(), data::Value(u"Row " + data::fromUtf8(std::to_string(kRows + 1))));
  rs.close();
  const auto csv = testsupport::mdbExport(file, "Tarvo_Certs");
  ASSERT_EQ(csv.rows.size(), static_cast<size_t>(kRows / 2 + 10));
  const size_t lname = csv.column("LName");
  for (size_t i = 0; i < csv.rows.size(); ++i) {
    const int expected = i < kRows / 2 ? static_cast<int>(2 * i) : kRows + static_cast<int>(i - kRows / 2);
    ASSERT_EQ(csv.rows[i][lname], std::optional<std::string>("Row " + std::to_string(expected))) << i;
  }
  cn.close();
}

// A disk that refuses the rows' pages: the record set's close reports it, the connection's
// close reports it again and still closes, and the file keeps what it had.
TEST(WritePathTest, AFailedWriteIsReportedByCloseAndTheFileStaysReadable) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and a file size limit";
#else
  testsupport::TempDir dir;
  const auto file = dir / "full.mdb";
  createCertificateFile(file);
  const auto size = std::filesystem::file_size(file);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The limit stands in for a full disk: the file cannot grow by a page.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
    setrlimit(RLIMIT_FSIZE, &limit);
    auto refusedWrite = [](const std::function<void()>& f) {
      try {
        f();
      } catch (const data::Error& e) {
        return std::string(e.what()).find("Cannot write") != std::string::npos;
      }
      return false;
    };
    int code = 0;
    try {
      data::Connection cn = openFile(file);
      data::Recordset rs = openCerts(cn);
      for (int i = 0; i < 200; ++i) {
        rs.addNew();
        rs.field(u"LName").setValue(std::u16string(100, u'x'));
        rs.updateBatch(data::adAffectAll);
      }
      if (!refusedWrite([&] { rs.close(); })) code = 2;
      else if (rs.state() != data::adStateClosed) code = 3;
      else if (!refusedWrite([&] { cn.close(); })) code = 4;
      else if (cn.state() != data::adStateClosed) code = 5;
    } catch (...) {
      code = 6;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2, 4: a close reported success; 3, 5: it left the object open; "
                                       "6: storing the rows failed";
  EXPECT_EQ(std::filesystem::file_size(file), size);
  EXPECT_EQ(testsupport::mdbExport(file, "Tarvo_Certs").rows.size(), 0u);
  data::Connection cn = openFile(file);
  EXPECT_EQ(openCerts(cn).recordCount(), 0);
#endif
}

// A front end of links, opened Read|Write as the run opens its source: its linked tables are
// read (rows, field list, catalog) but every change through them is refused, neither file
// changes, and the back end is free for others once the connection closes.
TEST(WritePathTest, ALinkedTableIsReadButNeverWritten) {
  testsupport::TempDir dir;
  const auto fe = dir / "tarvo_fe.mdb", be = dir / "tarvo_be.mdb";
  tools::TarvoOptions shape{.seed = 11, .people = 6, .qualifications = 9, .trainings = 4};
  tools::TarvoWriteOptions split;
  split.backEnd = be;
  tools::writeTarvoDatabase(tools::TarvoModel(shape), fe, split);
  const std::string feBefore = fileBytes(fe), beBefore = fileBytes(be);
  {
    data::Connection cn = openFile(fe);
    data::Recordset rs = openThroughProperties(cn, u"SELECT * FROM Roster");
    EXPECT_EQ(rs.recordCount(), 6);
    EXPECT_EQ(rs.fields().item(1).name(), u"License");
    EXPECT_EQ(errorOf([&] { rs.addNew(); }), data::errc::kUnspecified);
    EXPECT_EQ(errorOf([&] { cn.execute(u"DELETE * FROM Training"); }), data::errc::kUnspecified);
    EXPECT_EQ(errorOf([&] { cn.execute(u"ALTER TABLE Control ADD COLUMN Type TEXT(1)"); }), data::errc::kUnspecified);

    data::Catalog catalog;
    catalog.setActiveConnection(cn);
    EXPECT_EQ(catalog.tables().count(), 4);
    EXPECT_EQ(catalog.tables().item(u"control").name(), u"Control");
    EXPECT_GT(catalog.tables().item(u"Control").columns().count(), 1);
    // Read as a source is: another program may write the back end meanwhile.
    EXPECT_NO_THROW(jet::Database::open(be, kPassword, true));
    cn.close();
    EXPECT_NO_THROW(jet::Database::open(be, kPassword, true));
  }
  EXPECT_EQ(fileBytes(fe), feBefore);
  EXPECT_EQ(fileBytes(be), beBefore);
}
