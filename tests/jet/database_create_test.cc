// A new database against the one Jet itself made through ADOX (adox_jet4.mdb): the same
// system tables, columns, indexes, catalog rows and permission rows.
//
// Differences that remain, and why:
//  - the creation date (header and every catalog row's DateCreate/DateUpdate) is ours, and
//    with it the password field, which stores the date mask when there is no password;
//  - fields Jet leaves as garbage are zero in our file: the fixed offset of variable
//    columns, the order byte of unused index column slots, the unknown word of real index
//    blocks;
//  - security ids: Jet stores them XORed with a per-file value, so they are compared
//    relative to the owner of MSysDb.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>

#include "jet/read/database.h"
#include "jet/write/database_create.h"
#include "jet/util/error.h"
#include "jet/format/header_page_builder.h"
#include "jet/format/page_format.h"
#include "jet/util/unicode.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/error_number.h"
#include "tests/support/file_bytes.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using testsupport::errorNumberOf;

namespace {

const char16_t* kSystemTables[] = {u"MSysObjects", u"MSysACEs", u"MSysQueries", u"MSysRelationships"};

std::vector<uint8_t> filePage(const std::filesystem::path& f, uint32_t page) {
  std::ifstream in(f, std::ios::binary);
  std::vector<uint8_t> b(jet::kPageSize);
  in.seekg(static_cast<std::streamoff>(page) * jet::kPageSize);
  in.read(reinterpret_cast<char*>(b.data()), b.size());
  EXPECT_TRUE(in) << "page " << page << " of " << f;
  return b;
}

jet::Bytes relativeSid(const jet::Bytes& sid, const jet::Bytes& owner) {
  jet::Bytes out = sid;
  for (size_t i = 0; i < out.size() && i < owner.size(); ++i) out[i] ^= owner[i];
  return out;
}

// Catalog rows keyed by name: (Id, ParentId, Type, Flags, owner relative to MSysDb's).
using CatalogFacts = std::map<std::u16string, std::tuple<int32_t, int32_t, int16_t, int32_t, jet::Bytes>>;
// ACE rows per object: multiset of (relative SID, ACM, inheritable).
using AceFacts = std::map<int32_t, std::multiset<std::tuple<jet::Bytes, int32_t, bool>>>;

std::pair<CatalogFacts, AceFacts> catalogFacts(const std::filesystem::path& f) {
  const auto objects = writertest::readWithOurReader(f, u"MSysObjects");
  jet::Bytes owner;
  for (const auto& r : objects) {
    if (r[2].get<std::u16string>() == u"MSysDb") owner = r[6].get<jet::Bytes>();
  }
  EXPECT_FALSE(owner.empty());
  CatalogFacts cat;
  for (const auto& r : objects) {
    for (size_t c = 8; c < r.size(); ++c) EXPECT_TRUE(r[c].isNull()) << "column " << c << " of a new catalog row";
    cat[r[2].get<std::u16string>()] = {r[0].get<int32_t>(), r[1].get<int32_t>(), r[3].get<int16_t>(),
                                       r[7].get<int32_t>(), relativeSid(r[6].get<jet::Bytes>(), owner)};
  }
  AceFacts aces;
  for (const auto& r : writertest::readWithOurReader(f, u"MSysACEs")) {
    aces[r[0].get<int32_t>()].insert({relativeSid(r[1].get<jet::Bytes>(), owner), r[2].get<int32_t>(), r[3].get<bool>()});
  }
  return {cat, aces};
}

class NewDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { jet::createDatabase(file_, {}); }
  ts::TempDir dir_;
  std::filesystem::path file_ = dir_ / "new.mdb";
  std::filesystem::path jet_ = ts::corpusFile("jackcess/adox_jet4.mdb");
};

}  // namespace

TEST_F(NewDatabaseTest, SystemTablesMatchJetsOwnNewFile) {
  auto ours = jet::Database::open(file_);
  auto ref = jet::Database::open(jet_);
  EXPECT_EQ(ours.version(), ref.version());
  EXPECT_EQ(ours.codePage(), ref.codePage());
  EXPECT_EQ(ours.header().sortLcid, ref.header().sortLcid);
  EXPECT_FALSE(ours.hasPassword());
  EXPECT_EQ(std::filesystem::file_size(file_), std::filesystem::file_size(jet_));
  for (const char16_t* name : kSystemTables) {
    SCOPED_TRACE(jet::toUtf8(name));
    auto a = ours.tableDef(name);
    auto b = ref.tableDef(name);
    EXPECT_EQ(a->pages, b->pages);
    EXPECT_EQ(a->definitionLength, b->definitionLength);
    EXPECT_EQ(a->rowCount, b->rowCount);
    EXPECT_EQ(a->autoNumber, b->autoNumber);
    EXPECT_EQ(a->tableType, b->tableType);
    EXPECT_EQ(a->maxColumns, b->maxColumns);
    EXPECT_EQ(a->ownedPagesMap, b->ownedPagesMap);
    EXPECT_EQ(a->freePagesMap, b->freePagesMap);
    ASSERT_EQ(a->columns.size(), b->columns.size());
    for (size_t i = 0; i < a->columns.size(); ++i) {
      const auto &x = a->columns[i], &y = b->columns[i];
      SCOPED_TRACE(jet::toUtf8(y.name));
      EXPECT_EQ(x.name, y.name);
      EXPECT_EQ(x.type, y.type);
      EXPECT_EQ(x.number, y.number);
      EXPECT_EQ(x.varIndex, y.varIndex);
      EXPECT_EQ(x.flags, y.flags);
      EXPECT_EQ(x.extraFlags, y.extraFlags);
      EXPECT_EQ(x.length, y.length);
      EXPECT_TRUE(std::equal(std::begin(x.sortInfo), std::end(x.sortInfo), std::begin(y.sortInfo)));
      if (y.isFixed()) {
        EXPECT_EQ(x.fixedOffset, y.fixedOffset);
      }
      EXPECT_EQ(x.lvOwnedMap, y.lvOwnedMap);
      EXPECT_EQ(x.lvFreeMap, y.lvFreeMap);
    }
    ASSERT_EQ(a->realIndexes.size(), b->realIndexes.size());
    for (size_t i = 0; i < a->realIndexes.size(); ++i) {
      const auto &x = a->realIndexes[i], &y = b->realIndexes[i];
      EXPECT_EQ(x.distinctKeys, y.distinctKeys);
      ASSERT_EQ(x.columns.size(), y.columns.size());
      for (size_t k = 0; k < x.columns.size(); ++k) {
        EXPECT_EQ(x.columns[k].columnNumber, y.columns[k].columnNumber);
        EXPECT_EQ(x.columns[k].order, y.columns[k].order);
      }
      EXPECT_EQ(x.usageMap, y.usageMap);
      EXPECT_EQ(x.firstPage, y.firstPage);
      EXPECT_EQ(x.flags, y.flags);
    }
    ASSERT_EQ(a->indexes.size(), b->indexes.size());
    for (size_t i = 0; i < a->indexes.size(); ++i) {
      EXPECT_EQ(a->indexes[i].name, b->indexes[i].name);
      EXPECT_EQ(a->indexes[i].number, b->indexes[i].number);
      EXPECT_EQ(a->indexes[i].realIndex, b->indexes[i].realIndex);
      EXPECT_EQ(a->indexes[i].kind, b->indexes[i].kind);
      EXPECT_EQ(a->indexes[i].cascadeUpdates, b->indexes[i].cascadeUpdates);
      EXPECT_EQ(a->indexes[i].relatedIndex, b->indexes[i].relatedIndex);
    }
  }
}

TEST_F(NewDatabaseTest, CatalogAndPermissionRowsMatchJetsOwnNewFile) {
  const auto [ourCat, ourAces] = catalogFacts(file_);
  const auto [refCat, refAces] = catalogFacts(jet_);
  EXPECT_EQ(ourCat, refCat);
  EXPECT_EQ(ourAces, refAces);
  // The rows carry the creation moment, as Jet's do.
  auto db = jet::Database::open(file_);
  for (const auto& r : writertest::readWithOurReader(file_, u"MSysObjects")) {
    EXPECT_NEAR(r[4].get<jet::DateTime>().days, db.creationDate(), 1e-6);
  }
}

TEST_F(NewDatabaseTest, MapsIndexesAndAcePageAreJetsBytes) {
  // No dates or garbage live on these pages, so they must be byte for byte what Jet wrote:
  // the global map, the map rows, every index leaf and the permission rows.
  for (uint32_t page : {1u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 15u}) {
    EXPECT_EQ(filePage(file_, page), filePage(jet_, page)) << "page " << page;
  }
}

TEST_F(NewDatabaseTest, OtherReadersSeeAnEmptyJet4Database) {
  EXPECT_EQ(ts::mdbVer(file_), "JET4");
  EXPECT_TRUE(ts::mdbTables(file_).empty());
  auto sys = ts::mdbTables(file_, true);
  for (const char16_t* name : kSystemTables) {
    EXPECT_NE(std::find(sys.begin(), sys.end(), jet::toUtf8(name)), sys.end());
  }
  ts::ReaderOptions opt;
  opt.withSystem = true;
  const auto dump = ts::mdbReaderDump(file_, opt);
  EXPECT_FALSE(dump.password.has_value());
  EXPECT_EQ(dump.table("MSysObjects").rowCount, 8);
  EXPECT_EQ(dump.table("MSysACEs").rows.size(), 16u);
}

TEST(DatabaseCreateTest, PasswordIsStoredAsJetMasksIt) {
  ts::TempDir dir;
  // The mask comes from the date's whole days: dates with a fraction on either side of day 0
  // must mask and unmask alike in the builder and the reader.
  for (double date : {45000.25, 0.75, -0.5, -1.5}) {
    SCOPED_TRACE(date);
    const auto file = dir / ("locked" + std::to_string(date) + ".mdb");
    jet::createDatabase(file, {u"S3cret pass", date});
    auto db = jet::Database::open(file, u"S3cret pass");
    EXPECT_TRUE(db.hasPassword());
    EXPECT_DOUBLE_EQ(db.creationDate(), date);
    EXPECT_EQ(errorNumberOf([&] { jet::Database::open(file, u"S3cret pasS"); }), jet::errc::kInvalidPassword);
    // mdb-reader floors the date for its mask, which differs before day 0: ask it after it only.
    if (date < 0) continue;
    ts::ReaderOptions opt;
    opt.password = "S3cret pass";
    EXPECT_EQ(ts::mdbReaderDump(file, opt).password, std::optional<std::string>("S3cret pass"));
  }
}

TEST(DatabaseCreateTest, RefusalsLeaveNothingBehind) {
  ts::TempDir dir;
  const auto file = dir / "a.mdb";
  jet::createDatabase(file);
  const auto size = std::filesystem::file_size(file);
  // An existing file is never overwritten.
  EXPECT_EQ(errorNumberOf([&] { jet::createDatabase(file); }), jet::errc::kUnspecified);
  EXPECT_EQ(std::filesystem::file_size(file), size);
  // Too long a password, or a directory that does not exist: no file, no leftovers.
  EXPECT_NE(errorNumberOf([&] { jet::createDatabase(dir / "b.mdb", {u"123456789012345678901", {}}); }), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "b.mdb"));
  EXPECT_NE(errorNumberOf([&] { jet::createDatabase(dir / "missing" / "c.mdb"); }), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
  // Nor is a file that appears while a new one is being made: the new one is dropped.
  jet::NewFile late(dir / "d.mdb");
  jet::createDatabase(late);
  std::ofstream(dir / "d.mdb") << "someone else's";
  EXPECT_FALSE(late.publish());
  EXPECT_EQ(ts::fileBytes(dir / "d.mdb"), "someone else's");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

// Scratch files beside a target: a creation removes those no process holds, whatever their
// age, and keeps one a live maker holds, even an old one; an empty young one, whose maker may
// not have locked it yet; and files of other names.
TEST(DatabaseCreateTest, ACreationRemovesAbandonedScratchFilesOnly) {
  namespace fs = std::filesystem;
  ts::TempDir dir;
  const auto target = dir / "c.mdb";
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  jet::NewFile live(target);
  jet::createDatabase(live);
  fs::last_write_time(live.scratchPath(), anHourAgo);
  struct Leftover {
    const char* name;
    const char* bytes;
    bool old, removed;
  };
  const Leftover leftovers[] = {
      {"c.mdb.creating-1f2e-0badf00d", "pages", false, true},            // a killed maker's
      {"c.mdb.creating-1f2e-0badf00d.creating", "pages", false, true},   // of an earlier version
      {"c.mdb.creating-77-00000001", "", true, true},                    // empty, but long since
      {"c.mdb.creating-77-00000002", "", false, false},                  // empty and young
      {"c.mdb.creating-notes", "mine", true, false},                     // no scratch name
      {"d.mdb.creating-1f2e-0badf00d", "pages", true, false},            // another target's
  };
  for (const Leftover& l : leftovers) {
    std::ofstream(dir / l.name) << l.bytes;
    if (l.old) fs::last_write_time(dir / l.name, anHourAgo);
  }
  jet::createDatabase(target);
  for (const Leftover& l : leftovers) EXPECT_EQ(fs::exists(dir / l.name), !l.removed) << l.name;
  EXPECT_TRUE(fs::exists(live.scratchPath()));
  // Once the target exists no one creates it again; a run that finds it sweeps instead.
  std::ofstream(dir / leftovers[0].name) << leftovers[0].bytes;
  jet::NewFile::removeAbandoned(target);
  EXPECT_FALSE(fs::exists(dir / leftovers[0].name));
  EXPECT_TRUE(fs::exists(live.scratchPath()));
  EXPECT_FALSE(live.publish());
  EXPECT_FALSE(fs::exists(live.scratchPath()));
}
