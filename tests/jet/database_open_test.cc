// Opening files: header facts, the database password, and the errors a user meets first.
#include <algorithm>
#include <fstream>
#include <numeric>

#include <gtest/gtest.h>

#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/format/pager.h"
#include "jet/util/unicode.h"
#include "tests/support/error_number.h"
#include "tests/support/paths.h"

using testsupport::corpusFile;
using testsupport::errorNumberOf;

TEST(DatabaseOpenTest, HeaderFactsOfPlainAndEncodedFiles) {
  auto plain = jet::Database::open(corpusFile("jackcess/testV2000.mdb"));
  EXPECT_EQ(plain.version(), jet::kVersionJet4);
  EXPECT_EQ(plain.codePage(), 1252);
  EXPECT_EQ(plain.encodingKey(), 0u);
  EXPECT_EQ(plain.header().sortLcid, 0x0409);
  EXPECT_FALSE(plain.hasPassword());
  // 2004-06-05 is day 38143; the header date must decode to a plausible day, not garbage.
  EXPECT_GT(plain.creationDate(), 36000);
  EXPECT_LT(plain.creationDate(), 50000);

  auto encoded = jet::Database::open(corpusFile("jackcess-encrypt/db-enc.mdb"));
  EXPECT_NE(encoded.encodingKey(), 0u);
  ASSERT_NE(encoded.findTable(u"Table1"), nullptr);
  EXPECT_EQ(encoded.tables().size(), 1u);
}

TEST(DatabaseOpenTest, PasswordMustMatchExactlyWhenSet) {
  auto path = corpusFile("mdb-reader/V2000_with-password.mdb");
  auto db = jet::Database::open(path, u"password");
  EXPECT_TRUE(db.hasPassword());
  EXPECT_EQ(db.header().password, u"password");

  std::string text;
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(path, u"wrong"); }, &text), jet::errc::kInvalidPassword);
  EXPECT_EQ(text, "Not a valid password. The database " + jet::quotedPath(path) + " is protected by another password.");
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(path); }), jet::errc::kInvalidPassword);
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(path, u"Password"); }), jet::errc::kInvalidPassword);
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(path, u"password "); }), jet::errc::kInvalidPassword);

  EXPECT_EQ(jet::Database::open(corpusFile("ucanaccess/password.mdb"), u"ucanaccess").header().password,
            u"ucanaccess");
  // No password set: any password opens it.
  EXPECT_NO_THROW(jet::Database::open(corpusFile("mdb-reader/V2000_no-password.mdb"), u"anything"));
}

TEST(DatabaseOpenTest, ForeignMissingAndOldFilesAreRefusedClearly) {
  testsupport::TempDir dir;
  std::string text;
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(dir / "absent.mdb"); }, &text), jet::errc::kUnspecified);
  EXPECT_NE(text.find("does not exist"), std::string::npos) << text;

  std::ofstream(dir / "tarvo.mdb") << "Name,Licence\nSmith,L-1\n";
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(dir / "tarvo.mdb"); }, &text), jet::errc::kUnspecified);
  EXPECT_NE(text.find("not a Jet database"), std::string::npos) << text;

  std::ofstream(dir / "empty.mdb").flush();
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(dir / "empty.mdb"); }), jet::errc::kUnspecified);

  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(corpusFile("mdbtestdata/nwind.mdb")); }, &text),
            jet::errc::kUnspecified);
  EXPECT_NE(text.find("unsupported format"), std::string::npos) << text;

  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(dir.path()); }), jet::errc::kUnspecified);
}

TEST(DatabaseOpenTest, OneWriterAtATimeWithReadersBesideIt) {
  testsupport::TempDir dir;
  auto copy = dir / "copy.mdb";
  std::filesystem::copy_file(corpusFile("jackcess/testV2000.mdb"), copy);
  auto reader = jet::Database::open(copy);
  auto writer = jet::Database::open(copy, {}, true);  // a reader keeps no writer out
  std::string text;
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(copy, {}, true); }, &text), jet::errc::kUnspecified);
  EXPECT_NE(text.find("is being written by another program"), std::string::npos) << text;
  EXPECT_NO_THROW(jet::Database::open(copy));  // nor a writer a reader
}

TEST(DatabaseOpenTest, OpeningNeverWritesTheFile) {
  auto path = corpusFile("jackcess/testV2000.mdb");
  auto before = std::filesystem::last_write_time(path);
  auto size = std::filesystem::file_size(path);
  {
    auto db = jet::Database::open(path);
    auto scan = db.scan(u"Table1", {0, 1, 2});
    while (scan.next()) {
    }
  }
  EXPECT_EQ(std::filesystem::last_write_time(path), before);
  EXPECT_EQ(std::filesystem::file_size(path), size);
}

TEST(DatabaseOpenTest, TablesAreFoundWithoutRegardToCase) {
  auto db = jet::Database::open(corpusFile("jackcess/testV2000.mdb"));
  ASSERT_NE(db.findTable(u"table1"), nullptr);
  EXPECT_EQ(db.findTable(u"TABLE1")->name, u"Table1");
  EXPECT_EQ(db.findTable(u"MSysObjects")->tdefPage(), 2u);
  EXPECT_TRUE(db.findTable(u"msysobjects")->isSystem());
  EXPECT_EQ(errorNumberOf([&] { db.tableDef(u"NoSuchTable"); }), jet::errc::kTableNotFound);

  std::vector<std::u16string> user;
  for (const auto& t : db.tables()) user.push_back(t.name);
  EXPECT_EQ(user, (std::vector<std::u16string>{u"Table1", u"Table2", u"Table3", u"Table4"}));
  EXPECT_GT(db.tables(true).size(), user.size());
}

// A second pager over an open file (for a scan on another thread) reads the pages its owner
// reads, encoded files included, and refuses to write even when the file is open for writing.
TEST(DatabaseOpenTest, AReadingPagerSeesTheOwnersPagesAndNeverWrites) {
  testsupport::TempDir dir;
  for (const char* file : {"jackcess/testV2000.mdb", "jackcess-encrypt/db-enc.mdb"}) {
    SCOPED_TRACE(file);
    auto copy = dir / "pager.mdb";
    std::filesystem::copy_file(corpusFile(file), copy, std::filesystem::copy_options::overwrite_existing);
    auto db = jet::Database::open(copy, {}, true);
    jet::Pager reader = db.pager().reader();
    ASSERT_EQ(reader.pageCount(), db.pager().pageCount());
    for (uint32_t p = 0; p < reader.pageCount(); ++p) {
      const auto mine = db.pager().read(p)->bytes(), its = reader.read(p)->bytes();
      ASSERT_TRUE(std::equal(mine.begin(), mine.end(), its.begin(), its.end())) << "page " << p;
    }
    const std::vector<uint8_t> zeros(jet::kPageSizeJet4, 0);
    EXPECT_THROW(reader.write(1, zeros), jet::Error);
    EXPECT_NE(db.pager().read(1)->bytes()[0], 0) << "the refused write reached the file";
  }
}

// Walks read ahead by runs of consecutive pages, up or down, at most a read-ahead's worth.
TEST(DatabaseOpenTest, ReadAheadRunsEndAtGapsAndAtTheirLength) {
  auto db = jet::Database::open(corpusFile("jackcess/testV2000.mdb"));
  jet::Pager& pager = db.pager();
  const std::vector<uint32_t> up = {3, 4, 5, 9, 10, 12};
  EXPECT_EQ(pager.readAheadRun(up, 0), 3u);
  EXPECT_EQ(pager.readAheadRun(up, 3), 5u);
  EXPECT_EQ(pager.readAheadRun(up, 5), 6u);
  const std::vector<uint32_t> down = {10, 9, 8, 4, 3};
  EXPECT_EQ(pager.readAheadRun(down, 0), 3u);
  EXPECT_EQ(pager.readAheadRun(down, 3), 5u);
  std::vector<uint32_t> many(jet::Pager::kReadAheadPages + 8);
  std::iota(many.begin(), many.end(), 1u);
  EXPECT_EQ(pager.readAheadRun(many, 0), size_t{jet::Pager::kReadAheadPages});
}
