// The integrity check of a Jet file, in the way of SQLite's integrity_check: each problem
// found, with the table and page it is in. The rules are the reader's own (the same code
// decides what a scan accepts); this walks every structure with them instead of stopping at
// the first problem.
//
//   kBeforeWriting  what a writer builds on, checked when a file is opened for writing: the
//                   catalog, the system tables whole (rows, long values, indexes, row
//                   counts), and of every user table its definition, its usage maps and the
//                   type, owner and layout of every page they give it. A stored row count is
//                   not compared there: a writer's delete sets it anew.
//   kFull           also every row and long value of every table, every index, and each
//                   user table's stored row count against its rows.
// Of a Jet 3 file every structure but the indexes, which it does not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jet {

class Database;

struct IntegrityProblem {
  std::u16string table;  // empty: the file as a whole
  uint32_t page = 0;     // 0: not one page
  std::string problem;   // e.g. "page 124 is not one of its data pages"
};

enum class CheckDepth { kBeforeWriting, kFull };

// At most `limit` problems; a table whose definition cannot be read is one problem.
std::vector<IntegrityProblem> checkIntegrity(Database& db, CheckDepth depth, size_t limit = 100);

}  // namespace jet
