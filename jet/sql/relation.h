// Rows of a join in progress or done: per row, one row number into each base table below it
// (a position per table, in `slots` order).
//
// Only the positions that vary are stored, as `width` 32-bit words per row in `tuples`:
//   - a base table's own rows going into a join are every row in order (`identity`): a
//     million-row side needs no 4 MB of words reading 0, 1, 2...;
//   - a table of at most one row (the run's Control) is always row 0 and takes no word, so
//     joining it filters the other side's words in place instead of widening them.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jet::sql {

struct Relation {
  static constexpr int kFirstRow = -1;  // a position that is row 0 in every row

  std::vector<int> slots;  // which TableRows each position refers to
  std::vector<int> word;   // per position: its word within a row's stored words, or kFirstRow
  size_t width = 0;        // stored words per row (1 for identity)
  std::vector<uint32_t> tuples;
  bool identity = false;  // one position; row r is row number r
  size_t count = 0;       // rows

  // The relation of one base table's `rows` rows, all of them, in order.
  static Relation ofTable(int slot, size_t rows) {
    Relation r;
    r.slots = {slot};
    r.count = rows;
    if (rows <= 1) {
      r.word = {kFirstRow};
    } else {
      r.word = {0};
      r.width = 1;
      r.identity = true;
    }
    return r;
  }

  size_t rows() const { return count; }
  uint32_t at(size_t row, size_t position) const {
    assert(row < count && position < word.size());
    if (identity) return static_cast<uint32_t>(row);
    const int w = word[position];
    return w == kFirstRow ? 0 : tuples[row * width + static_cast<size_t>(w)];
  }
  // Appends the stored words of `row`.
  void appendTupleTo(std::vector<uint32_t>& out, size_t row) const {
    if (identity) {
      out.push_back(static_cast<uint32_t>(row));
    } else {
      out.insert(out.end(), tuples.begin() + static_cast<ptrdiff_t>(row * width),
                 tuples.begin() + static_cast<ptrdiff_t>((row + 1) * width));
    }
  }
  // Stores the row numbers of an identity relation as words, for code that changes them.
  void materialize() {
    if (!identity) return;
    tuples.resize(count);
    for (size_t i = 0; i < count; ++i) tuples[i] = static_cast<uint32_t>(i);
    identity = false;
  }
  // Keeps the rows for which keep(row) is true, in order, moving their words in place.
  template <typename Keep>
  void filter(Keep keep) {
    materialize();
    size_t kept = 0;
    for (size_t r = 0; r < count; ++r) {
      if (!keep(r)) continue;
      if (kept != r) {
        std::copy(tuples.begin() + static_cast<ptrdiff_t>(r * width),
                  tuples.begin() + static_cast<ptrdiff_t>((r + 1) * width),
                  tuples.begin() + static_cast<ptrdiff_t>(kept * width));
      }
      ++kept;
    }
    tuples.resize(kept * width);  // not shrunk: a copy would hold the words twice for a moment
    count = kept;
  }
};

}  // namespace jet::sql
