// A writer killed at a random moment during a series of inserts, or between any two writes
// of one large grouped flush or of a delete, leaves a file that opens with our reader,
// mdb-export and mdb-reader, and holds a prefix of the rows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
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
#include "tests/support/write_trace.h"

namespace ts = testsupport;
using jet::Value;

namespace {

std::u16string nameOf(int32_t k) { return jet::fromUtf8("row " + std::to_string(k)); }
// Every seventh row carries a memo long enough for its own LVAL row, every thirteenth a chain.
Value notesOf(int32_t k) {
  if (k % 13 == 0) return Value(std::u16string(5000, static_cast<char16_t>(u'a' + k % 26)));
  if (k % 7 == 0) return Value(std::u16string(300, static_cast<char16_t>(u'A' + k % 26)));
  return Value();
}

using Durability = jet::DatabaseWriter::Durability;

void insertRows(jet::DatabaseWriter& w, int32_t from, int32_t to) {
  for (int32_t k = from; k <= to; ++k) w.insertRow(u"Log", {Value(), Value(nameOf(k)), notesOf(k)});
}

[[noreturn]] void insertForever(const std::filesystem::path& file, Durability durability) {
  try {
    ts::FileWriter w(file, durability);
    for (int32_t k = 1;; ++k) w.insertRow(u"Log", {Value(), Value(nameOf(k)), notesOf(k)});
  } catch (...) {
  }
  _exit(3);
}

void createLog(const std::filesystem::path& file, int32_t rows) {
  ts::FileWriter w(file, {writertest::logTableSpec()});
  insertRows(w, 1, rows);
}

// The file holds rows 1..n for some n in [atLeast, atMost] for all three readers, and a later
// writer numbers its row n + 1. `countLag`: how far the stored row count may trail n.
// Rows 1..n for some n in [atLeast, atMost], for our reader and mdb-export; returns n.
size_t expectPrefixRows(const std::filesystem::path& file, size_t atLeast, size_t atMost) {
  const auto rows = writertest::readWithOurReader(file, u"Log");
  EXPECT_GE(rows.size(), atLeast);
  EXPECT_LE(rows.size(), atMost);
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto k = static_cast<int32_t>(i + 1);
    EXPECT_EQ(rows[i][0], Value(k)) << "row " << i;
    EXPECT_EQ(rows[i][1], Value(nameOf(k))) << "row " << i;
    EXPECT_EQ(rows[i][2], notesOf(k)) << "row " << i;
    if (::testing::Test::HasFailure()) break;
  }
  const auto csv = ts::mdbExport(file, "Log");
  EXPECT_EQ(csv.rows.size(), rows.size());
  for (size_t i = 0; i < std::min(csv.rows.size(), rows.size()); ++i) {
    EXPECT_EQ(csv.rows[i][0], std::to_string(i + 1));
  }
  return rows.size();
}

void expectPrefix(const std::filesystem::path& file, size_t atLeast, size_t atMost, size_t countLag) {
  const size_t n = expectPrefixRows(file, atLeast, atMost);
  if (::testing::Test::HasFailure()) return;
  // The row count is written after the rows, so it may trail them, never lead.
  const auto stored = jet::Database::open(file).tableDef(u"Log")->rowCount;
  EXPECT_TRUE(stored <= n && n - stored <= countLag) << stored << " vs " << n;

  ts::ReaderOptions opt;
  opt.tables = {"Log"};
  opt.withRows = false;
  EXPECT_TRUE(ts::mdbReaderDump(file, opt).table("Log").error.empty());
  // A later writer carries on after the surviving prefix, without reusing a number.
  {
    ts::FileWriter w(file);
    const int32_t next = w.insertRow(u"Log", {Value(), Value(std::u16string(u"after")), Value()});
    EXPECT_EQ(next, static_cast<int32_t>(n + 1));
  }
  EXPECT_EQ(ts::mdbExport(file, "Log").rows.size(), n + 1);
}

#if defined(__unix__)
void killInsertingWriter(Durability durability, size_t countLag) {
  // Kill times spread over the first half second of inserting (tens of thousands of rows),
  // counted from the moment the child's first data page reaches the file.
  const int delaysMs[] = {0, 3, 17, 41, 90, 160, 260, 420};
  for (int delay : delaysMs) {
    SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
    ts::TempDir dir;
    const auto file = dir / "log.mdb";
    createLog(file, 0);
    const auto emptySize = std::filesystem::file_size(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) insertForever(file, durability);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::file_size(file) == emptySize && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended before it was killed";
    expectPrefix(file, 0, SIZE_MAX, countLag);
  }
}
#endif

#if defined(__unix__)
// Runs `work` in a child that is killed as it enters its write call number `n`, so exactly n
// writes reached the file. False when the child finished after fewer writes.
bool killAtWrite(int n, const std::function<void()>& work) {
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ts::traceMe();
    raise(SIGSTOP);
    try {
      work();
    } catch (...) {
      _exit(3);
    }
    _exit(0);
  }
  const ts::TraceEnd end = ts::killAtWrite(child, n);
  if (!end.killed && !(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0)) {
    throw std::runtime_error("the traced writer failed");
  }
  return end.killed;
}

// Makes a Log table of `rows` rows, then runs `change` on a copy of it in a child killed
// before each of the change's writes in turn, and once to the end; `check` looks at each
// file left behind (`whole` for the last). Returns how many writes the change made.
int killBeforeEachWrite(int32_t rows, const std::function<void(jet::DatabaseWriter&)>& change,
                        const std::function<void(const std::filesystem::path&, bool whole)>& check,
                        const std::function<void(jet::DatabaseWriter&)>& prepare = {}) {
  ts::TempDir dir;
  const auto start = dir / "start.mdb";
  createLog(start, rows);
  if (prepare) {
    ts::FileWriter w(start);
    prepare(w);
  }
  const auto file = dir / "log.mdb";
  const auto work = [&] {
    ts::FileWriter w(file, Durability::kBatched);
    change(w);
    w.flush();
  };
  for (int cut = 0;; ++cut) {
    SCOPED_TRACE("killed before write " + std::to_string(cut));
    std::filesystem::copy_file(start, file, std::filesystem::copy_options::overwrite_existing);
    const bool killed = killAtWrite(cut, work);
    check(file, !killed);
    if (!killed || ::testing::Test::HasFailure()) return cut;
  }
}
#endif

}  // namespace

TEST(CrashSafetyTest, KilledWriterLeavesAPrefixOfItsRows) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and kill";
#else
  // Every row is written through: the count trails by at most the row in flight.
  killInsertingWriter(Durability::kEachRow, 1);
#endif
}

TEST(CrashSafetyTest, KilledBatchedWriterLeavesAPrefixOfItsRows) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and kill";
#else
  killInsertingWriter(Durability::kBatched, SIZE_MAX);
#endif
}

TEST(CrashSafetyTest, AGroupedFlushKilledBetweenAnyTwoWritesLeavesAPrefix) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and ptrace";
#else
  if (!ts::canTraceWrites()) GTEST_SKIP() << "write calls cannot be traced here";
  // 4000 rows already stored, enough for usage maps kept on bitmap pages of their own; one
  // flush then writes 400 more: new data and long-value pages, more rows on the table's
  // current data and long-value pages, the usage maps and the table definition. The writer
  // after each kill must find only pages its readers see (a page in a free-space map but
  // not yet the table's would hide the rows put there).
  constexpr int32_t kBefore = 4000;
  constexpr int32_t kAdded = 400;
  const int writes = killBeforeEachWrite(
      kBefore, [&](jet::DatabaseWriter& w) { insertRows(w, kBefore + 1, kBefore + kAdded); },
      [&](const std::filesystem::path& file, bool whole) {
        expectPrefix(file, whole ? kBefore + kAdded : kBefore, kBefore + kAdded, whole ? 0 : kAdded);
      });
  EXPECT_GE(writes, 3);  // some cuts fell between the flush's writes
  RecordProperty("writesInTheFlush", writes);
#endif
}

TEST(CrashSafetyTest, ADeleteKilledBetweenAnyTwoWritesLeavesAPrefix) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and ptrace";
#else
  if (!ts::canTraceWrites()) GTEST_SKIP() << "write calls cannot be traced here";
  // Rows are stored in page order; a delete of all of them, killed before each of its writes
  // in turn, leaves the rows of the first pages (a kill can also cut a long write short at a
  // page boundary: the pages of such writes are out of the table's map while they go). Rows
  // past kRows were deleted before, so the last pages start in the free-space map: a later
  // writer's rows must still land on pages readers see, whatever the kill left.
  constexpr int32_t kRows = 400;
  constexpr int32_t kLater = 40;
  size_t last = kRows;
  const int writes = killBeforeEachWrite(
      kRows + 60, [](jet::DatabaseWriter& w) { w.deleteRows(u"Log"); },
      [&](const std::filesystem::path& file, bool) {
        last = expectPrefixRows(file, 0, last);  // never more rows than one write earlier
        if (::testing::Test::HasFailure()) return;
        {
          ts::FileWriter w(file);
          insertRows(w, 1, kLater);
        }
        EXPECT_EQ(ts::mdbExport(file, "Log").rows.size(), last + kLater);
      },
      [](jet::DatabaseWriter& w) {
        w.deleteRows(u"Log", [](std::span<const Value> r) { return r[0].get<int32_t>() > kRows; });
      });
  EXPECT_GE(writes, 5);
  EXPECT_EQ(last, 0u);
  RecordProperty("writesOfTheDelete", writes);
#endif
}
