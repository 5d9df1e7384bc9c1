// Space given back by deletes: pages repacked in place, freed space filled by later inserts
// before the file grows, long values of deleted rows freed; read back by all three readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "jet/format/data_page_builder.h"
#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map.h"
#include "tests/jet/log_table.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/file_writer.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using jet::ColumnType;
using jet::DataPageBuilder;
using jet::Value;
using writertest::Row;

namespace {

std::vector<uint8_t> bytesOf(size_t n, uint8_t fill) { return std::vector<uint8_t>(n, fill); }

bool sameBytes(std::span<const uint8_t> a, const std::vector<uint8_t>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

uint16_t slotWord(const jet::PageBytes& p, size_t slot) { return jet::ByteView(p).u16(14 + 2 * slot); }

// The page's free-space field against what its slots hold.
void expectConsistent(jet::PageBytes& p) {
  DataPageBuilder dp(p);
  size_t used = 0;
  for (uint16_t s = 0; s < dp.slotCount(); ++s) used += dp.rowEnd(static_cast<uint8_t>(s)) - dp.rowStart(static_cast<uint8_t>(s));
  EXPECT_EQ(dp.freeSpace(), jet::kPageSize - 14 - 2 * size_t{dp.slotCount()} - used);
}

// Notes: one inline, one single LVAL row, one chain of three pieces, and none.
Value notesOf(int32_t k) {
  switch (k % 4) {
    case 0: return Value(std::u16string(20, static_cast<char16_t>(u'a' + k % 26)));
    case 1: return Value(std::u16string(900, static_cast<char16_t>(u'A' + k % 26)));
    case 2: return Value(std::u16string(5000, static_cast<char16_t>(u'a' + k % 26)));
    default: return Value();
  }
}

Row logRow(int32_t id, int32_t k) { return {Value(id), Value(jet::fromUtf8("row " + std::to_string(k))), notesOf(k)}; }

class ReuseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ts::FileWriter created(file_, {writertest::logTableSpec()}, jet::DatabaseWriter::Durability::kBatched);
  }
  void insert(int32_t from, int32_t to) {
    ts::FileWriter w(file_, jet::DatabaseWriter::Durability::kBatched);
    for (int32_t k = from; k < to; ++k) w.insertRow(u"Log", {Value(), logRow(0, k)[1], notesOf(k)});
  }
  // Rows with the name and notes of the given k, numbered by the table.
  void insertShapes(const std::vector<int32_t>& ks) {
    ts::FileWriter w(file_, jet::DatabaseWriter::Durability::kBatched);
    for (int32_t k : ks) w.insertRow(u"Log", {Value(), logRow(0, k)[1], notesOf(k)});
  }
  size_t deleteWhere(const jet::RowPredicate& pick) {
    ts::FileWriter w(file_);
    return w.deleteRows(u"Log", pick);
  }
  uintmax_t size() const { return std::filesystem::file_size(file_); }
  ts::TempDir dir_;
  std::filesystem::path file_ = dir_ / "log.mdb";
};

}  // namespace

TEST(DataPageRepackTest, RemovedRowsGiveTheirSpaceBackAndKeepTheirSlots) {
  jet::PageBytes p{};
  DataPageBuilder::init(p, 42);
  std::vector<std::vector<uint8_t>> rows;
  for (uint8_t i = 0; i < 6; ++i) {
    rows.push_back(bytesOf(100 + 10 * i, static_cast<uint8_t>(0x10 + i)));
    EXPECT_EQ(DataPageBuilder(p).append(rows.back()), i);
  }
  const uint16_t freeBefore = DataPageBuilder(p).freeSpace();
  const uint8_t gone[] = {1, 3, 5};
  DataPageBuilder(p).removeRows(gone);
  DataPageBuilder dp(p);
  // Removed slots stay, empty, with both flag bits, as Jet leaves them.
  EXPECT_EQ(dp.slotCount(), 6);
  EXPECT_EQ(dp.freeSpace(), freeBefore + 110 + 130 + 150);
  for (uint8_t s : {1, 3, 5}) {
    EXPECT_EQ(slotWord(p, s) & 0xC000, 0xC000);
    EXPECT_EQ(dp.rowStart(s), dp.rowEnd(s));
  }
  for (uint8_t s : {0, 2, 4}) {
    EXPECT_TRUE(dp.isLive(s));
    EXPECT_TRUE(sameBytes(dp.row(s), rows[s])) << "slot " << int{s};
  }
  expectConsistent(p);
  // The freed bytes are zero, not the old rows.
  const size_t gapStart = 14 + 2 * size_t{dp.slotCount()};
  EXPECT_TRUE(std::all_of(p.begin() + static_cast<long>(gapStart), p.begin() + static_cast<long>(gapStart + dp.freeSpace()),
                          [](uint8_t b) { return b == 0; }));

  // Removing slot 0 leaves the 0xD000 word Jet writes (offset 4096 with both flags).
  const uint8_t first[] = {0};
  dp.removeRows(first);
  EXPECT_EQ(slotWord(p, 0), 0xD000);
  EXPECT_TRUE(sameBytes(dp.row(2), rows[2]));
  expectConsistent(p);

  // With every row removed the slots remain, so readers see a page of deleted rows.
  const uint8_t rest[] = {2, 4};
  dp.removeRows(rest);
  EXPECT_EQ(dp.slotCount(), 6);
  EXPECT_EQ(dp.freeSpace(), jet::kPageSize - 14 - 12);
  EXPECT_EQ(dp.owner(), 42u);
}

TEST(DataPageRepackTest, NewRowsGoIntoRemovedSlotsFirst) {
  jet::PageBytes p{};
  DataPageBuilder::init(p, 7);
  DataPageBuilder dp(p);
  for (int i = 0; i < 255; ++i) dp.append(bytesOf(8, static_cast<uint8_t>(i)));
  EXPECT_FALSE(dp.fits(8));
  EXPECT_FALSE(dp.fitsPlacing(8));
  const uint8_t gone[] = {10, 11, 200};
  dp.removeRows(gone);
  EXPECT_FALSE(dp.fits(8));  // the slot table is full
  ASSERT_TRUE(dp.fitsPlacing(20));
  const auto wide = bytesOf(20, 0xEE);
  EXPECT_EQ(dp.place(wide), 10);
  EXPECT_TRUE(dp.isLive(10));
  EXPECT_TRUE(sameBytes(dp.row(10), wide));
  for (uint8_t s : {9, 12, 199, 201, 254}) EXPECT_TRUE(sameBytes(dp.row(s), bytesOf(8, s))) << "slot " << int{s};
  EXPECT_EQ(dp.place(wide), 11);
  EXPECT_EQ(dp.place(wide), 200);
  EXPECT_FALSE(dp.fitsPlacing(1));
  expectConsistent(p);

  // Rows some other writer deleted in place (both flags, bytes kept) are repacked first.
  jet::PageBytes q{};
  DataPageBuilder::init(q, 7);
  DataPageBuilder dq(q);
  for (uint8_t i = 0; i < 4; ++i) dq.append(bytesOf(50, i));
  dq.markDeleted(1);
  EXPECT_EQ(dq.place(bytesOf(30, 0xAA)), 1);
  EXPECT_TRUE(sameBytes(dq.row(1), bytesOf(30, 0xAA)));
  EXPECT_TRUE(sameBytes(dq.row(3), bytesOf(50, 3)));
  EXPECT_EQ(dq.place(bytesOf(30, 0xBB)), 4);  // no removed slot left: appended
  expectConsistent(q);
}

TEST_F(ReuseTest, DeleteAllThenTheSameRowsAgainKeepsTheFileSize) {
  insert(0, 600);
  const auto full = size();
  EXPECT_EQ(deleteWhere({}), 600u);
  // Deleting rewrites pages in place; it never adds any.
  EXPECT_EQ(size(), full);
  writertest::expectRowsEverywhere(file_, u"Log", {"Id", "Name", "Notes"}, {});
  insert(0, 600);
  EXPECT_LE(size(), full + 4 * jet::kPageSize);
  std::vector<Row> expected;
  for (int32_t k = 0; k < 600; ++k) expected.push_back(logRow(601 + k, k));
  writertest::expectRowsEverywhere(file_, u"Log", {"Id", "Name", "Notes"}, expected);
  // A second round: still no growth.
  EXPECT_EQ(deleteWhere({}), 600u);
  insert(0, 600);
  EXPECT_LE(size(), full + 4 * jet::kPageSize);
  EXPECT_EQ(ts::mdbExport(file_, "Log").rows.size(), 600u);
}

TEST_F(ReuseTest, RowsInsertedAfterAPartialDeleteFillTheFreedSpace) {
  insert(0, 400);
  const auto full = size();
  // Every other row goes, long values with them; rows of the same shapes come back.
  EXPECT_EQ(deleteWhere([](std::span<const Value> r) { return r[0].get<int32_t>() % 2 == 0; }), 200u);
  std::vector<int32_t> again;
  for (int32_t k = 1; k < 400; k += 2) again.push_back(k);
  insertShapes(again);
  EXPECT_LE(size(), full + 4 * jet::kPageSize);
  std::vector<Row> expected;
  for (int32_t k = 0; k < 400; k += 2) expected.push_back(logRow(k + 1, k));
  for (size_t i = 0; i < again.size(); ++i) expected.push_back(logRow(401 + static_cast<int32_t>(i), again[i]));
  // New rows land between the old ones, so compare as sets, by Id.
  const auto byId = [](const Row& a, const Row& b) { return a[0].get<int32_t>() < b[0].get<int32_t>(); };
  std::sort(expected.begin(), expected.end(), byId);
  auto ours = writertest::readWithOurReader(file_, u"Log");
  std::sort(ours.begin(), ours.end(), byId);
  ASSERT_EQ(ours.size(), expected.size());
  for (size_t i = 0; i < ours.size(); ++i) ASSERT_EQ(ours[i], expected[i]) << "row " << i;
  const auto csv = ts::mdbExport(file_, "Log");
  std::set<std::string> ids;
  for (const auto& r : csv.rows) ids.insert(r[0].value_or(""));
  EXPECT_EQ(ids.size(), 400u);
  EXPECT_TRUE(ids.count("1") && ids.count("600") && !ids.count("2"));
  ts::ReaderOptions opt;
  opt.tables = {"Log"};
  const auto dump = ts::mdbReaderDump(file_, opt);
  EXPECT_TRUE(dump.table("Log").error.empty()) << dump.table("Log").error;
  EXPECT_EQ(dump.table("Log").rows.size(), 400u);
}

TEST_F(ReuseTest, FreeSpaceMapListsThePagesDeletesEmptied) {
  insert(0, 300);
  std::vector<uint32_t> owned, freeBefore, lvOwned;
  std::shared_ptr<const jet::TableDef> def;
  {
    auto db = jet::Database::open(file_);
    def = db.tableDef(u"Log");
    owned = jet::readUsageMap(db.pager(), def->ownedPagesMap);
    freeBefore = jet::readUsageMap(db.pager(), def->freePagesMap);
    lvOwned = jet::readUsageMap(db.pager(), def->columns[2].lvOwnedMap);
  }
  ASSERT_GT(owned.size(), 2u);
  EXPECT_LT(freeBefore.size(), owned.size());
  EXPECT_EQ(deleteWhere({}), 300u);
  auto db = jet::Database::open(file_);
  // Every data and long-value page is still the table's and now listed as having room.
  EXPECT_EQ(jet::readUsageMap(db.pager(), def->ownedPagesMap), owned);
  EXPECT_EQ(jet::readUsageMap(db.pager(), def->freePagesMap), owned);
  EXPECT_EQ(jet::readUsageMap(db.pager(), def->columns[2].lvOwnedMap), lvOwned);
  EXPECT_EQ(jet::readUsageMap(db.pager(), def->columns[2].lvFreeMap), lvOwned);
  // Each of those pages holds only removed, empty rows.
  std::vector<uint32_t> all = owned;
  all.insert(all.end(), lvOwned.begin(), lvOwned.end());
  for (uint32_t p : all) {
    auto page = db.pager().read(p);
    jet::PageBytes bytes{};
    std::copy(page->bytes().begin(), page->bytes().end(), bytes.begin());
    DataPageBuilder dp(bytes);
    EXPECT_EQ(dp.freeSpace(), jet::kPageSize - 14 - 2 * size_t{dp.slotCount()}) << "page " << p;
    for (uint16_t s = 0; s < dp.slotCount(); ++s) EXPECT_EQ(slotWord(bytes, s) & 0xC000, 0xC000) << "page " << p;
  }
  EXPECT_EQ(db.tableDef(u"Log")->rowCount, 0u);
}
