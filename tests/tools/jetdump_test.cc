// build/jetdump as people and scripts use it: table lists, schemas, rows as CSV and JSON,
// and its exit status and message on errors.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/oracle.h"
#include "tests/support/paths.h"

using testsupport::Json;
using testsupport::runTool;

namespace {

std::string jetdump() { return (testsupport::buildDir() / "jetdump").string(); }
std::string corpus(const char* rel) { return testsupport::corpusFile(rel).string(); }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

}  // namespace

TEST(JetdumpTest, ListsTablesAndPrintsRowsLikeMdbExport) {
  auto file = corpus("jackcess/testV2000.mdb");
  auto list = runTool({jetdump(), file});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(lines(list.out), testsupport::mdbTables(file));
  auto all = runTool({jetdump(), file, "--system"});
  EXPECT_GT(lines(all.out).size(), lines(list.out).size());

  auto rows = runTool({jetdump(), file, "--table", "table1"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  auto ours = testsupport::parseCsv(rows.out);
  auto theirs = testsupport::mdbExport(file, "Table1");
  EXPECT_EQ(ours.header, theirs.header);
  ASSERT_EQ(ours.rows.size(), theirs.rows.size());
  for (size_t r = 0; r < ours.rows.size(); ++r) {
    // Text and integer columns print alike; dates and currency differ in form only.
    for (const char* col : {"A", "B", "C", "D", "E", "I"}) {
      EXPECT_EQ(ours.rows[r][ours.column(col)], theirs.rows[r][theirs.column(col)]) << col;
    }
  }
}

TEST(JetdumpTest, JsonRowsAndSchemaParse) {
  auto file = corpus("mdb-reader/V2000_with-password.mdb");
  auto rows = runTool({jetdump(), file, "--password", "password", "--table", "Table1", "--format", "json"});
  ASSERT_EQ(rows.exitCode, 0) << rows.err;
  auto reader = testsupport::mdbReaderDump(file, {}).table("Table1");
  auto got = lines(rows.out);
  ASSERT_EQ(got.size(), reader.rows.size());
  for (size_t r = 0; r < got.size(); ++r) {
    Json row = Json::parse(got[r]);
    for (size_t c = 0; c < reader.columns.size(); ++c) {
      const Json& theirs = reader.rows[r][c];
      const Json& mine = row[reader.columns[c].name];
      if (theirs.isString()) {
        EXPECT_EQ(mine.asString(), theirs.asString());
      }
      if (theirs.isNumber()) {
        EXPECT_EQ(mine.asNumber(), theirs.asNumber());
      }
    }
  }

  auto schema = runTool({jetdump(), file, "--password", "password", "--schema", "--format", "json"});
  ASSERT_EQ(schema.exitCode, 0) << schema.err;
  Json table = Json::parse(lines(schema.out).at(0));
  EXPECT_EQ(table["table"].asString(), "Table1");
  ASSERT_EQ(table["columns"].asArray().size(), reader.columns.size());
  for (size_t c = 0; c < reader.columns.size(); ++c) {
    EXPECT_EQ(table["columns"].asArray()[c]["name"].asString(), reader.columns[c].name);
  }
}

TEST(JetdumpTest, ErrorsGiveTheNumberTheMessageAndAStatus) {
  auto wrong = runTool({jetdump(), corpus("mdb-reader/V2000_with-password.mdb"), "--password", "nope"});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_NE(wrong.err.find("-2147217843"), std::string::npos) << wrong.err;
  EXPECT_NE(wrong.err.find("Not a valid password."), std::string::npos) << wrong.err;

  auto missing = runTool({jetdump(), corpus("jackcess/testV2000.mdb"), "--table", "Nope"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("-2147217865"), std::string::npos) << missing.err;

  EXPECT_EQ(runTool({jetdump()}).exitCode, 2);
  EXPECT_EQ(runTool({jetdump(), corpus("jackcess/testV2000.mdb"), "--format", "xml"}).exitCode, 2);
  EXPECT_EQ(runTool({jetdump(), corpus("jackcess/testV2000.mdb"), "--bogus"}).exitCode, 2);
}

TEST(JetdumpTest, CheckSaysOkOnSoundFilesAndNamesTableAndPageInDamagedOnes) {
  for (auto [file, password] : {std::pair{"jackcess/compIndexTestV2000.mdb", ""},  // a two-level index
                                {"jackcess/overflowTestV2000.mdb", ""},
                                {"mdb-reader/V2000_with-password.mdb", "password"},
                                {"ucanaccess/password.mdb", "ucanaccess"}}) {
    auto r = runTool({jetdump(), "--check", corpus(file), "--password", password});
    EXPECT_EQ(r.exitCode, 0) << file << r.err;
    EXPECT_EQ(r.out, "ok\n") << file;
  }
  auto generated = testsupport::sharedDir() / "corpus/generated/cert_reference.mdb";
  EXPECT_EQ(runTool({jetdump(), "--check", generated.string(), "--password", "KRVNDQLT-58203"}).out, "ok\n");

  // Table1's index CD_AGENTE: node page 29 over leaves 32 and 33 (its tail).
  struct Damage {
    uint32_t page;
    size_t offset;
    std::vector<uint8_t> bytes;
    const char* expected;
  };
  const Damage damages[] = {
      {32, 16, {0, 0, 0, 0}, "Table1: page 32 of index 'CD_AGENTE' names page 0 as the one after it"},
      {29, 20, {29, 0, 0, 0}, "Table1: page 29 of index 'CD_AGENTE' is reached twice"},
      {33, 4, {2, 0, 0, 0}, "Table1: page 33 of index 'CD_AGENTE' belongs to the table on page 2"},
      {32, 0, {1}, "Table1: page 32 of index 'CD_AGENTE' is not an index page"},
      {32, 2, {0xF4, 0x01}, "Table1: page 32 of index 'CD_AGENTE' is an index page whose entries end"},
      {33, 0x1E0 + 9, {7}, "Table1: page 33 of index 'CD_AGENTE' holds an entry for row 7 of page 20, a row it"},
      {33, 0x1E0 + 3, {0}, "Table1: page 20 holds row 57, which index 'CD_AGENTE' has no entry for"},
      {29, 0x1E0 + 3, {0}, "Table1: page 29 of index 'CD_AGENTE' holds an entry for page 32 that is not the"},
  };
  testsupport::TempDir dir;
  const auto copy = dir / "damaged.mdb";
  std::ifstream in(testsupport::corpusFile("jackcess/compIndexTestV2000.mdb"), std::ios::binary);
  const std::string sound((std::istreambuf_iterator<char>(in)), {});
  for (const auto& d : damages) {
    std::string bytes = sound;
    for (size_t i = 0; i < d.bytes.size(); ++i) bytes[d.page * 4096 + d.offset + i] = static_cast<char>(d.bytes[i]);
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
    auto r = runTool({jetdump(), "--check", copy.string()});
    EXPECT_EQ(r.exitCode, 1) << d.expected;
    EXPECT_NE(r.out.find(d.expected), std::string::npos) << r.out;
  }
  // Access 97 files are checked too, all but their indexes.
  auto access97 = runTool({jetdump(), "--check", corpus("mdbtestdata/nwind.mdb")});
  EXPECT_EQ(access97.exitCode, 0) << access97.err;
  EXPECT_EQ(access97.out, "ok\n");
}
