// Damaged files: truncated, with flipped bytes, with page links pointing at themselves. Each
// must end in a jet::Error (or read cleanly when the damage hit unused bytes): never a crash,
// another exception type, an endless loop or a huge allocation.
#include <algorithm>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "jet/format/data_page.h"
#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/format/usage_map.h"
#include "tests/support/paths.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& p, const Bytes& b, size_t length) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(length));
}

enum class Outcome { kRead, kJetError };

// Opens the file and decodes every column of every row of every table, system ones included.
// Other exception types escape and fail the test.
Outcome readEverything(const fs::path& path, std::u16string_view password, std::string* error = nullptr) {
  try {
    auto db = jet::Database::open(path, password);
    for (const auto& t : db.tables(true)) {
      auto def = db.tableDef(t.name);
      std::vector<size_t> cols(def->columns.size());
      for (size_t i = 0; i < cols.size(); ++i) cols[i] = i;
      auto scan = db.scan(def, cols);
      while (scan.next()) {
      }
    }
    return Outcome::kRead;
  } catch (const jet::Error& e) {
    if (error) *error = e.description();
    return Outcome::kJetError;
  }
}

struct Sample {
  const char* file;
  const char16_t* password;
  size_t pageSize = 4096;
};
const Sample kSamples[] = {
    {"jackcess/test2V2000.mdb", u""},          // long-value chains, a two-page definition
    {"jackcess/overflowTestV2000.mdb", u""},   // moved rows
    {"ucanaccess/functionsV2000.mdb", u""},    // reference usage map
    {"jackcess-encrypt/db-enc.mdb", u""},      // RC4-encoded pages
    {"mdb-reader/V2000_with-password.mdb", u"password"},
    {"jackcess/testUnicodeCompV2003.mdb", u""},
    {"jackcess/test2V1997.mdb", u"", 2048},   // Access 97: long-value chains, a row past 256 bytes
    {"jackcess/queryTestV1997.mdb", u"", 2048},  // Access 97: a moved catalog row
};

}  // namespace

TEST(HostileFileTest, TruncatedFilesGiveErrorsNotCrashes) {
  testsupport::TempDir dir;
  auto target = dir / "cut.mdb";
  for (const auto& s : kSamples) {
    SCOPED_TRACE(s.file);
    Bytes full = readBytes(testsupport::corpusFile(s.file));
    ASSERT_EQ(readEverything(testsupport::corpusFile(s.file), s.password), Outcome::kRead);
    const size_t size = s.pageSize, pages = full.size() / size;
    size_t errors = 0;
    std::vector<size_t> cuts = {0, 1, 100, 0x200, size - 1};
    for (size_t p = 1; p < pages; ++p) {
      cuts.push_back(p * size);
      cuts.push_back(p * size + 1 + (p * 977) % (size - 2));
    }
    for (size_t cut : cuts) {
      writeBytes(target, full, cut);
      if (readEverything(target, s.password) == Outcome::kJetError) ++errors;
    }
    // Cutting away the catalog, or pages that rows live on, must be noticed.
    EXPECT_GT(errors, cuts.size() / 4);
  }
}

TEST(HostileFileTest, FlippedBytesGiveErrorsNotCrashes) {
  testsupport::TempDir dir;
  auto target = dir / "flipped.mdb";
  std::mt19937 rng(20261209);
  size_t errors = 0;
  size_t runs = 0;
  for (const auto& s : kSamples) {
    SCOPED_TRACE(s.file);
    Bytes full = readBytes(testsupport::corpusFile(s.file));
    for (int round = 0; round < 120; ++round) {
      Bytes damaged = full;
      int flips = 1 + static_cast<int>(rng() % 24);
      // Aim at the structures: headers of pages and the ends of pages, where rows start.
      const size_t size = s.pageSize;
      for (int i = 0; i < flips; ++i) {
        size_t page = rng() % (full.size() / size);
        size_t offset = rng() % 3 == 0 ? rng() % 64 : (rng() % 2 ? size - 1 - rng() % 512 : rng() % size);
        damaged[page * size + offset] ^= static_cast<uint8_t>(1 + rng() % 255);
      }
      writeBytes(target, damaged, damaged.size());
      if (readEverything(target, s.password) == Outcome::kJetError) ++errors;
      ++runs;
    }
  }
  EXPECT_GT(errors, runs / 10);
}

TEST(HostileFileTest, RandomBytesAreNotADatabase) {
  testsupport::TempDir dir;
  std::mt19937 rng(7);
  Bytes junk(8 * 4096);
  for (auto& b : junk) b = static_cast<uint8_t>(rng());
  writeBytes(dir / "random.mdb", junk, junk.size());
  std::string text;
  EXPECT_EQ(readEverything(dir / "random.mdb", u"", &text), Outcome::kJetError);
  EXPECT_NE(text.find("not a Jet database"), std::string::npos) << text;

  // A real header followed by noise: the catalog cannot be read.
  Bytes header = readBytes(testsupport::corpusFile("jackcess/testV2000.mdb"));
  std::copy(header.begin(), header.begin() + 4096, junk.begin());
  writeBytes(dir / "noise.mdb", junk, junk.size());
  EXPECT_EQ(readEverything(dir / "noise.mdb", u"", &text), Outcome::kJetError);
  EXPECT_NE(text.find("corrupt"), std::string::npos) << text;
}

namespace {

// Finds, through the engine, the slots that satisfy `pick` on data pages, and rewrites their
// first four bytes (a row pointer) to point at the slot itself.
size_t pointRowsAtThemselves(Bytes& file, const fs::path& original,
                             const std::function<bool(const jet::DataPage&, uint16_t)>& pick) {
  auto db = jet::Database::open(original);
  size_t changed = 0;
  for (uint32_t n = 1; n < db.pager().pageCount(); ++n) {
    auto page = db.pager().read(n);
    if (page->type() != jet::page_type::kData) continue;
    jet::DataPage dp(page);
    for (uint16_t r = 0; r < dp.rowCount(); ++r) {
      if (!pick(dp, r)) continue;
      size_t start = dp.slot(r) & jet::kRowOffsetMask;
      uint32_t self = jet::RowPointer{n, r}.raw();
      for (int i = 0; i < 4; ++i) file[n * 4096 + start + i] = static_cast<uint8_t>(self >> (8 * i));
      ++changed;
    }
  }
  return changed;
}

}  // namespace

TEST(HostileFileTest, PageLinksPointingAtThemselvesAreReportedWithThePage) {
  testsupport::TempDir dir;
  auto target = dir / "loop.mdb";
  std::string text;

  // A table definition whose continuation link names its own first page.
  {
    auto src = testsupport::corpusFile("jackcess/test2V2000.mdb");
    auto db = jet::Database::open(src);
    uint32_t tdef = db.tableDef(u"MSP_PROJECTS")->firstPage();
    Bytes file = readBytes(src);
    for (int i = 0; i < 4; ++i) file[tdef * 4096 + 4 + i] = static_cast<uint8_t>(tdef >> (8 * i));
    writeBytes(target, file, file.size());
    EXPECT_EQ(readEverything(target, u"", &text), Outcome::kJetError);
    EXPECT_NE(text.find("page " + std::to_string(tdef)), std::string::npos) << text;
    EXPECT_NE(text.find("loops"), std::string::npos) << text;
  }

  // Long-value chain pieces whose next link is themselves.
  {
    auto src = testsupport::corpusFile("jackcess/test2V2000.mdb");
    Bytes file = readBytes(src);
    size_t changed = pointRowsAtThemselves(file, src, [](const jet::DataPage& p, uint16_t r) {
      if (p.owner() != jet::kLvalPageOwner || p.isDeleted(r)) return false;
      return p.row(r).size() > 4 && p.row(r).u32(0) != 0;  // a piece with a successor
    });
    ASSERT_GT(changed, 0u);
    writeBytes(target, file, file.size());
    EXPECT_EQ(readEverything(target, u"", &text), Outcome::kJetError);
    EXPECT_NE(text.find("loops"), std::string::npos) << text;
  }

  // Moved-row pointers that point back at their own slot.
  {
    auto src = testsupport::corpusFile("jackcess/overflowTestV2000.mdb");
    Bytes file = readBytes(src);
    size_t changed = pointRowsAtThemselves(
        file, src, [](const jet::DataPage& p, uint16_t r) { return p.isOverflowPointer(r); });
    ASSERT_GT(changed, 0u);
    writeBytes(target, file, file.size());
    EXPECT_EQ(readEverything(target, u"", &text), Outcome::kJetError);
    EXPECT_NE(text.find("loop"), std::string::npos) << text;
  }
}

TEST(HostileFileTest, GarbageLengthsDoNotDriveAllocations) {
  // A long value header claiming nearly 1 GiB, pointing at a short row: an error, quickly.
  testsupport::TempDir dir;
  auto src = testsupport::corpusFile("jackcess/test2V2000.mdb");
  Bytes file = readBytes(src);
  auto db = jet::Database::open(src);
  auto def = db.tableDef(u"MSP_PROJECTS");
  size_t changed = 0;
  // Every memo/OLE header in the table's rows gets the largest length the field can hold.
  std::vector<size_t> longCols;
  for (size_t i = 0; i < def->columns.size(); ++i) {
    if (def->columns[i].isLongValue()) longCols.push_back(i);
  }
  ASSERT_FALSE(longCols.empty());
  for (uint32_t n = 1; n < db.pager().pageCount(); ++n) {
    auto page = db.pager().read(n);
    if (page->type() != jet::page_type::kData) continue;
    jet::DataPage dp(page);
    if (dp.owner() != def->firstPage()) continue;
    for (uint16_t r = 0; r < dp.rowCount(); ++r) {
      if (dp.isDeleted(r)) continue;
      auto row = dp.row(r);
      size_t start = dp.slot(r) & jet::kRowOffsetMask;
      // Find 12-byte long-value headers by their shape: a length word with a kind bit pattern
      // and a page pointer within the file.
      for (size_t off = 0; off + 12 <= row.size(); ++off) {
        uint32_t word = row.u32(off);
        uint32_t ptr = row.u32(off + 4);
        bool kind = (word & 0xC0000000u) == 0x40000000u || (word & 0xC0000000u) == 0;
        if (kind && (word & 0x3FFFFFFF) > 64 && (ptr >> 8) > 0 && (ptr >> 8) < db.pager().pageCount() &&
            row.u32(off + 8) == 0) {
          uint32_t huge = (word & 0xC0000000u) | 0x3FFFFFFF;
          for (int i = 0; i < 4; ++i) file[n * 4096 + start + off + i] = static_cast<uint8_t>(huge >> (8 * i));
          ++changed;
        }
      }
    }
  }
  ASSERT_GT(changed, 0u);
  writeBytes(dir / "huge.mdb", file, file.size());
  std::string text;
  EXPECT_EQ(readEverything(dir / "huge.mdb", u"", &text), Outcome::kJetError);
  EXPECT_NE(text.find("The table 'MSP_PROJECTS' is damaged: page "), std::string::npos) << text;
}

// A table's owned-pages map may keep a bit for a page that is now another table's: that page
// is stepped over. A bit for any other page (here an index page) is damage, named.
TEST(HostileFileTest, AStaleMapBitIsSkippedOnlyForAnotherTablesDataPage) {
  testsupport::TempDir dir;
  const auto src = testsupport::corpusFile("jackcess/indexTestV2000.mdb");
  auto db = jet::Database::open(src);
  const auto table1 = db.tableDef(u"Table1");
  const uint32_t otherTablesPage = jet::readUsageMap(db.pager(), db.tableDef(u"Table2")->ownedPagesMap).front();
  const auto ptr = jet::RowPointer::fromRaw(table1->ownedPagesMap);
  const jet::DataPage mapPage(db.pager().read(ptr.page));
  ASSERT_EQ(mapPage.row(ptr.row).u8(0), jet::usage_map_type::kInline);
  const size_t mapRow = ptr.page * size_t{4096} + (mapPage.slot(ptr.row) & jet::kRowOffsetMask);
  const uint32_t mapStart = mapPage.row(ptr.row).u32(1);
  const Bytes original = readBytes(src);
  const auto withBit = [&](uint32_t page) {
    Bytes file = original;
    file[mapRow + 5 + (page - mapStart) / 8] |= static_cast<uint8_t>(1u << ((page - mapStart) % 8));
    writeBytes(dir / "stale.mdb", file, file.size());
    return dir / "stale.mdb";
  };
  std::string text;
  EXPECT_EQ(readEverything(withBit(otherTablesPage), u"", &text), Outcome::kRead) << text;
  const uint32_t indexPage = table1->realIndexes.front().firstPage;
  EXPECT_EQ(readEverything(withBit(indexPage), u"", &text), Outcome::kJetError);
  EXPECT_NE(text.find("The table 'Table1' is damaged: page " + std::to_string(indexPage) + " is not one of its data pages"),
            std::string::npos) << text;
}

// A writer builds on the system tables: they are checked whole before it starts, also when
// their catalog rows have lost the flags that say "system" (their definition or name says
// it too), and the stored count of one Access keeps as a user table (MSysAccessObjects) is
// compared.
TEST(HostileFileTest, SystemTablesAreCheckedWholeBeforeWriting) {
  testsupport::TempDir dir;
  const auto src = testsupport::sharedDir() / "corpus/generated/cert_reference.mdb";
  const std::u16string password = u"KRVNDQLT-58203";
  const auto refusedNaming = [&](const Bytes& file, const std::u16string& table) {
    writeBytes(dir / "damaged.mdb", file, file.size());
    try {
      jet::Database::open(dir / "damaged.mdb", password, /*writable=*/true);
      ADD_FAILURE() << "opened for writing";
    } catch (const jet::DamageError& e) {
      EXPECT_EQ(e.table(), table) << e.what();
    }
  };
  auto db = jet::Database::open(src, password);
  Bytes flagless = readBytes(src);
  auto objects = db.tableDef(u"MSysObjects");
  const auto& flags = objects->columns[*objects->findColumn(u"Flags")];
  auto scan = db.scan(objects, {});
  while (scan.next()) {
    const jet::DataPage page(db.pager().read(scan.locator().page));
    const size_t row = scan.locator().page * size_t{4096} + (page.slot(scan.locator().row) & jet::kRowOffsetMask);
    std::fill_n(flagless.begin() + static_cast<std::ptrdiff_t>(row + 2 + flags.fixedOffset), 4, 0);
  }
  // The first entry of MSysACEs' index gets another ObjectId.
  Bytes file = flagless;
  file[db.tableDef(u"MSysACEs")->realIndexes.front().firstPage * size_t{4096} + 0x1E0 + 4] ^= 0x01;
  writeBytes(dir / "damaged.mdb", file, file.size());
  ASSERT_FALSE(jet::Database::open(dir / "damaged.mdb", password).findTable(u"MSysAccessObjects")->isSystem());
  refusedNaming(file, u"MSysACEs");

  file = flagless;
  file[db.tableDef(u"MSysAccessObjects")->firstPage() * size_t{4096} + 0x10] += 1;  // its stored row count
  refusedNaming(file, u"MSysAccessObjects");
}
