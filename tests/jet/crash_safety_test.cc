// A writer killed at a random moment during a series of inserts leaves a file that opens
// with our reader, mdb-export and mdb-reader, and holds a prefix of the rows.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#if defined(__unix__)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "jet/database.h"
#include "jet/database_create.h"
#include "jet/database_writer.h"
#include "jet/unicode.h"
#include "tests/jet/written_file_check.h"
#include "tests/support/oracle.h"
#include "tests/support/paths.h"

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

[[noreturn]] void insertForever(const std::filesystem::path& file) {
  try {
    auto db = jet::Database::open(file, u"", true);
    jet::DatabaseWriter w(db);
    for (int32_t k = 1;; ++k) w.insertRow(u"Log", {Value(), Value(nameOf(k)), notesOf(k)});
  } catch (...) {
  }
  _exit(3);
}

}  // namespace

TEST(CrashSafetyTest, KilledWriterLeavesAPrefixOfItsRows) {
#if !defined(__unix__)
  GTEST_SKIP() << "needs fork and kill";
#else
  // Kill times spread over the first half second of inserting (tens of thousands of rows),
  // counted from the moment the child's first data page reaches the file.
  const int delaysMs[] = {0, 3, 17, 41, 90, 160, 260, 420};
  for (int delay : delaysMs) {
    SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
    ts::TempDir dir;
    const auto file = dir / "log.mdb";
    jet::createDatabase(file);
    {
      auto db = jet::Database::open(file, u"", true);
      jet::DatabaseWriter w(db);
      w.createTable({u"Log", {{u"Id", jet::ColumnType::Long, 255, true},
                              {u"Name", jet::ColumnType::Text},
                              {u"Notes", jet::ColumnType::Memo}}});
    }
    const auto emptySize = std::filesystem::file_size(file);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) insertForever(file);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::filesystem::file_size(file) == emptySize && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended before it was killed";

    const auto rows = writertest::readWithOurReader(file, u"Log");
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto k = static_cast<int32_t>(i + 1);
      ASSERT_EQ(rows[i][0], Value(k)) << "row " << i;
      ASSERT_EQ(rows[i][1], Value(nameOf(k))) << "row " << i;
      ASSERT_EQ(rows[i][2], notesOf(k)) << "row " << i;
    }
    // The row count is written after the row, so it lags by at most the row in flight.
    const auto stored = jet::Database::open(file).tableDef(u"Log")->rowCount;
    EXPECT_TRUE(stored == rows.size() || stored + 1 == rows.size()) << stored << " vs " << rows.size();

    const auto csv = ts::mdbExport(file, "Log");
    ASSERT_EQ(csv.rows.size(), rows.size());
    for (size_t i = 0; i < csv.rows.size(); ++i) {
      ASSERT_EQ(csv.rows[i][0], std::to_string(i + 1));
    }
    ts::ReaderOptions opt;
    opt.tables = {"Log"};
    opt.withRows = false;
    EXPECT_TRUE(ts::mdbReaderDump(file, opt).table("Log").error.empty());
    // A later writer carries on after the surviving prefix, without reusing a number.
    {
      auto db = jet::Database::open(file, u"", true);
      jet::DatabaseWriter w(db);
      const int32_t next = w.insertRow(u"Log", {Value(), Value(std::u16string(u"after")), Value()});
      EXPECT_EQ(next, static_cast<int32_t>(rows.size() + 1));
    }
    EXPECT_EQ(ts::mdbExport(file, "Log").rows.size(), rows.size() + 1);
  }
#endif
}
