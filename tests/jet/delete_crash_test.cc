// A writer killed at a random moment while it deletes rows and refills the freed space leaves
// a file that opens with our reader, mdb-export and mdb-reader, whose rows are whole rows of
// the table (long values included), and in which a later writer deletes, inserts and numbers
// rows without reusing a number.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#if defined(__unix__)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "jet/read/database.h"
#include "jet/write/database_writer.h"
#include "jet/util/unicode.h"
#include "tests/jet/log_table.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/file_writer.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

namespace ts = testsupport;
using jet::Value;

namespace {

constexpr int32_t kRows = 1500;

std::u16string nameOf(int32_t id) { return jet::fromUtf8("row " + std::to_string(id)); }
// Every fifth row has a memo in one LVAL row, every eleventh a chain of LVAL rows.
Value notesOf(int32_t id) {
  if (id % 11 == 0) return Value(std::u16string(4500, static_cast<char16_t>(u'a' + id % 26)));
  if (id % 5 == 0) return Value(std::u16string(400, static_cast<char16_t>(u'A' + id % 26)));
  return Value();
}

void insertRows(const std::filesystem::path& file, int32_t from, int32_t to) {
  ts::FileWriter w(file, jet::DatabaseWriter::Durability::kBatched);
  for (int32_t id = from; id < to; ++id) w.insertRow(u"Log", {Value(id), Value(nameOf(id)), notesOf(id)});
}

// Deletes (all rows, or every third) and refills, round after round, until killed.
[[noreturn]] void churnForever(const std::filesystem::path& file) {
  try {
    int32_t next = kRows + 1;
    for (int round = 0;; ++round) {
      {
        ts::FileWriter w(file);
        if (round % 2 == 0) {
          w.deleteRows(u"Log");
        } else {
          w.deleteRows(u"Log", [](std::span<const Value> r) { return r[0].get<int32_t>() % 3 == 0; });
        }
      }
      insertRows(file, next, next + kRows);
      next += kRows;
    }
  } catch (...) {
  }
  _exit(3);
}

}  // namespace

TEST(DeleteCrashTest, KilledDeletesAndRefillsLeaveWholeRows) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and kill";
#else
  const int delaysMs[] = {1, 4, 9, 20, 45, 80, 150, 300};
  for (int delay : delaysMs) {
    SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
    ts::TempDir dir;
    const auto file = dir / "log.mdb";
    { ts::FileWriter created(file, {writertest::logTableSpec()}); }
    insertRows(file, 1, kRows + 1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) churnForever(file);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended before it was killed";

    const auto rows = writertest::readWithOurReader(file, u"Log");
    std::set<int32_t> ids;
    for (const auto& r : rows) {
      const int32_t id = r[0].get<int32_t>();
      ASSERT_TRUE(ids.insert(id).second) << "row " << id << " twice";
      ASSERT_EQ(r[1], Value(nameOf(id))) << "row " << id;
      ASSERT_EQ(r[2], notesOf(id)) << "row " << id;
    }
    const auto csv = ts::mdbExport(file, "Log");
    ASSERT_EQ(csv.rows.size(), rows.size());
    std::set<int32_t> csvIds;
    for (const auto& r : csv.rows) csvIds.insert(std::stoi(r[0].value_or("0")));
    EXPECT_EQ(csvIds, ids);
    ts::ReaderOptions opt;
    opt.tables = {"Log"};
    const auto dump = ts::mdbReaderDump(file, opt);
    ASSERT_TRUE(dump.table("Log").error.empty()) << dump.table("Log").error;
    EXPECT_EQ(dump.table("Log").rows.size(), rows.size());

    // A later writer clears the table and numbers on after every surviving row.
    {
      ts::FileWriter w(file);
      EXPECT_EQ(w.deleteRows(u"Log"), rows.size());
      const int32_t id = w.insertRow(u"Log", {Value(), Value(std::u16string(u"after")), Value()});
      if (!ids.empty()) {
        EXPECT_GT(id, *ids.rbegin());
      }
    }
    EXPECT_EQ(ts::mdbExport(file, "Log").rows.size(), 1u);
  }
#endif
}
