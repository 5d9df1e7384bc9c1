// Opening files: header facts, the database password, and the errors a user meets first.
#include <algorithm>
#include <fstream>
#include <numeric>

#include <gtest/gtest.h>

#include "jet/format/header_page.h"
#include "jet/format/pager.h"
#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/util/rc4.h"
#include "jet/util/unicode.h"
#include "jet/util/value_text.h"
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

  const auto access97 = corpusFile("mdbtestdata/nwind.mdb");
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(access97, {}, true); }, &text), jet::errc::kUnspecified);
  EXPECT_EQ(text, jet::quotedPath(access97) + " is a Jet 3 (Access 97) database, which is read but never changed.");
  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(access97, {}, false, 437); }, &text), jet::errc::kUnspecified);
  EXPECT_NE(text.find("code page 437, which this program cannot read"), std::string::npos) << text;

  EXPECT_EQ(errorNumberOf([&] { jet::Database::open(dir.path()); }), jet::errc::kUnspecified);
}

// No Access 97 file of the corpus has a password or an encoding: copies are given them in the
// header (20 password bytes under the header mask, without Jet 4's date mask), and every page
// but the first is RC4-encoded as Jet 3 does it.
TEST(DatabaseOpenTest, Jet3CopiesWithAPasswordOrAnEncodingReadAsTheOriginal) {
  const auto original = corpusFile("jackcess/testV1997.mdb");
  auto plain = jet::Database::open(original);
  EXPECT_EQ(plain.version(), jet::kVersionJet3);
  EXPECT_EQ(plain.pager().pageSize(), jet::kPageSizeJet3);
  EXPECT_EQ(plain.header().textCodePage, 1252);
  const auto rowsOf = [](jet::Database& db) {
    std::vector<std::string> rows;
    auto def = db.tableDef(u"Table1");
    std::vector<size_t> all(def->columns.size());
    std::iota(all.begin(), all.end(), 0);
    auto scan = db.scan(def, all);
    while (scan.next()) {
      std::string row;
      for (const auto& v : scan.values()) row += jet::toUtf8(jet::textOf(v)) + "|";
      rows.push_back(row);
    }
    return rows;
  };
  const auto expected = rowsOf(plain);
  ASSERT_EQ(expected.size(), 2u);

  std::ifstream in(original, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  testsupport::TempDir dir;
  const auto copy = dir / "access97.mdb";
  for (const uint32_t key : {0u, 0x5A3C9E17u}) {
    SCOPED_TRACE(key);
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    std::span<uint8_t> page0(file.data(), jet::kPageSizeJet3);
    jet::applyHeaderMask(page0, true);
    const std::string password = "Sal\xE4s";  // "Saläs" in code page 1252
    std::copy(password.begin(), password.end(), page0.begin() + jet::kHeaderPasswordOffset);
    for (int i = 0; i < 4; ++i) page0[jet::kHeaderEncodingKeyOffset + i] = static_cast<uint8_t>(key >> (8 * i));
    jet::applyHeaderMask(page0, true);
    for (uint32_t p = 1; key != 0 && p < file.size() / jet::kPageSizeJet3; ++p) {
      const uint32_t k = key ^ p;
      const uint8_t pageKey[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                                  static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 24)};
      jet::rc4Apply(pageKey, std::span<uint8_t>(file.data() + p * jet::kPageSizeJet3, jet::kPageSizeJet3));
    }
    std::ofstream(copy, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

    auto db = jet::Database::open(copy, u"Sal\u00E4s");
    EXPECT_EQ(db.encodingKey(), key);
    EXPECT_EQ(rowsOf(db), expected);
    std::string text;
    EXPECT_EQ(errorNumberOf([&] { jet::Database::open(copy, u"Salas"); }, &text), jet::errc::kInvalidPassword);
    EXPECT_EQ(text, "Not a valid password. The database " + jet::quotedPath(copy) + " is protected by another password.");
    EXPECT_EQ(errorNumberOf([&] { jet::Database::open(copy); }), jet::errc::kInvalidPassword);
  }
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
