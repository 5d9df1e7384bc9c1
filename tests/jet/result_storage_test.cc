// The compact storage of static results: interned texts, column stores and row numbers give
// back exactly what went in, across every change of encoding (narrow to wide text, 1- to 2-
// to 4-byte ids and row numbers, a column falling back to plain values) and after rows are
// dropped from a column.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "jet/sql/column_store.h"
#include "jet/sql/row_number_column.h"
#include "jet/sql/text_pool.h"
#include "jet/format/text_decoding.h"

namespace {

using jet::Value;
using jet::sql::ColumnStore;
using jet::sql::RowNumberColumn;
using jet::sql::TextPool;

std::u16string numbered(const char16_t* stem, size_t n) {
  std::u16string s = stem;
  for (char c : std::to_string(n)) s.push_back(static_cast<char16_t>(c));
  return s;
}

void expectSame(const ColumnStore& store, const std::vector<Value>& want) {
  ASSERT_EQ(store.size(), want.size());
  for (size_t r = 0; r < want.size(); ++r) {
    ASSERT_EQ(store.get(r), want[r]) << "row " << r;
    ASSERT_EQ(store.isNull(r), want[r].isNull()) << "row " << r;
  }
}

// Texts below U+0100 are kept one byte per character, others two: both come back intact,
// case variants stay distinct, and the same text always gets the same id, also after the
// lookup table has grown many times.
TEST(TextPoolTest, InternsExactTextsOfBothWidths) {
  TextPool pool;
  const std::u16string latin = u"J\u00f6rg \u00c5str\u00f6m";
  const std::u16string greek = u"\u0391\u03b8\u03ae\u03bd\u03b1";
  const std::u16string mixed = u"x\u00ff\u0100y";
  uint32_t a = pool.intern(latin), b = pool.intern(greek), c = pool.intern(mixed);
  uint32_t empty = pool.intern(u"");
  EXPECT_EQ(pool.intern(u"Smith"), pool.intern(std::u16string(u"Smith")));
  EXPECT_NE(pool.intern(u"smith"), pool.intern(u"Smith"));
  // A narrow text that agrees with a wide one in its low bytes is another text.
  EXPECT_NE(pool.intern(u"\u0141"), pool.intern(u"A"));
  // Found again at every length around the eight-character steps of the comparison.
  for (size_t n = 0; n <= 40; ++n) {
    const std::u16string text(n, u'\u00e9'), wide(n, u'\u0416');
    EXPECT_EQ(pool.intern(text), pool.intern(std::u16string(text))) << n;
    EXPECT_EQ(pool.intern(wide), pool.intern(std::u16string(wide))) << n;
  }
  for (size_t i = 0; i < 20000; ++i) pool.intern(numbered(i % 2 ? u"\u0416" : u"n", i));
  EXPECT_EQ(pool.get(a), latin);
  EXPECT_EQ(pool.get(b), greek);
  EXPECT_EQ(pool.get(c), mixed);
  EXPECT_EQ(pool.get(empty), u"");
  EXPECT_EQ(pool.intern(latin), a);
  EXPECT_EQ(pool.intern(greek), b);
  for (size_t i = 0; i < 20000; i += 997) {
    std::u16string t = numbered(i % 2 ? u"\u0416" : u"n", i);
    uint32_t id = pool.intern(t);
    EXPECT_EQ(pool.get(id), t);
  }
  size_t count = pool.size();
  pool.freeze();
  EXPECT_EQ(pool.size(), count);
  std::u16string reused = u"a longer text than any above, to be overwritten";
  pool.get(c, reused);
  EXPECT_EQ(reused, mixed);
}

// A text column widens its ids at 256 and 65 536 distinct texts; Nulls and repeats in between
// keep their places.
TEST(ColumnStoreTest, TextIdsWidenWithoutChangingValues) {
  ColumnStore store;
  std::vector<Value> want;
  for (size_t i = 0; i < 70000; ++i) {
    Value v;
    if (i % 11 == 0) v = Value();
    else if (i % 5 == 0) v = Value(std::u16string(u"repeated"));
    else v = Value(numbered(i % 3 ? u"name" : u"\u0418\u043c\u044f", i));
    store.append(v);
    want.push_back(v);
  }
  expectSame(store, want);
  store.freeze();
  expectSame(store, want);
  std::u16string scratch;
  EXPECT_EQ(store.text(7, scratch), want[7].get<std::u16string>());
  EXPECT_TRUE(store.isText());
}

// Keeping a strictly increasing subset of rows works for every kind of column, including
// one that fell back to plain values because its kinds were mixed, and one that is all Null;
// so does moving the columns into shared row records.
TEST(ColumnStoreTest, KeepRowsForEveryKind) {
  const size_t n = 40000;  // more than two blocks of fixed-width rows
  auto make = [&](size_t i, size_t store) -> Value {
    if ((i + store) % 7 == 3) return Value();  // each store its own Nulls
    switch (store % 9) {
      case 0: return Value(static_cast<int32_t>(i * 1000 - 5));
      case 1:  // whole days first (kept narrow), then times of day (widened)
        return Value(jet::DateTime{i < 30000 ? static_cast<double>(i) - 1000
                                             : 36000.25 + static_cast<double>(i)});
      case 2: return Value(i % 2 == 0);
      case 3: return Value(numbered(u"t", i % 260));
      case 4: return Value(jet::Bytes(i % 9, static_cast<uint8_t>(i)));
      case 5: {
        jet::Guid g{};
        g.bytes[i % 16] = static_cast<uint8_t>(i);
        return Value(g);
      }
      case 6: {
        jet::Decimal d;
        d.negative = i % 2;
        d.scale = 2;
        d.mantissa = {static_cast<uint32_t>(i), 1, 0};
        return Value(d);
      }
      case 7: return i % 2 ? Value(int16_t(i)) : Value(numbered(u"g", i));
      default: return Value();
    }
  };
  std::vector<uint32_t> keep;
  for (uint32_t r = 0; r < n; ++r) {
    if (r % 3 != 1 && r != 0) keep.push_back(r);
  }
  // Every kind, then the first five again: nine stores that can move into records.
  std::vector<ColumnStore> stores(14);
  std::vector<std::vector<Value>> kept(14);
  for (size_t k = 0; k < stores.size(); ++k) {
    ColumnStore& store = stores[k];
    std::vector<Value> all;
    for (size_t i = 0; i < n; ++i) {
      all.push_back(make(i, k));
      store.append(all.back());
    }
    for (uint32_t r : keep) kept[k].push_back(all[r]);
    store.keepRows(keep);
    SCOPED_TRACE(k);
    expectSame(store, kept[k]);
    store.freeze();
    expectSame(store, kept[k]);
  }
  // Then every kind together moved into one record per row (null bits over two bytes), twice:
  // the second move leaves the records as they are.
  std::vector<ColumnStore*> all;
  for (ColumnStore& store : stores) all.push_back(&store);
  ColumnStore::keepRowByRow(all);
  ColumnStore::keepRowByRow(all);
  for (size_t k = 0; k < stores.size(); ++k) {
    SCOPED_TRACE(k);
    expectSame(stores[k], kept[k]);
  }
}

// Dates kept as whole days read back exactly as numbers too, and -0 (not a whole day's
// bit pattern) keeps its sign.
TEST(ColumnStoreTest, DatesReadBackExactly) {
  ColumnStore days, signedZero;
  for (double d : {45000.0, -2.0, 2147483647.0}) days.append(Value(jet::DateTime{d}));
  EXPECT_EQ(days.number(1), -2.0);
  EXPECT_EQ(days.get(2).get<jet::DateTime>().days, 2147483647.0);
  signedZero.append(Value(jet::DateTime{1.0}));
  signedZero.append(Value(jet::DateTime{-0.0}));
  EXPECT_TRUE(std::signbit(signedZero.get(1).get<jet::DateTime>().days));
  EXPECT_EQ(signedZero.number(0), 1.0);
}

// Row numbers: none kept for an identity or a one-row table, else the narrowest width for
// the table's size; every position reads back as it was in the tuples.
TEST(RowNumbersTest, NarrowestFormReadsBackEveryTuple) {
  struct Case {
    size_t tableRows;
    bool identity;
    size_t bytesPerRow;
  };
  const size_t rows = 1000, width = 2, position = 1;
  for (Case c : {Case{1, false, 0}, Case{5000, true, 0}, Case{200, false, 1},
                 Case{65536, false, 2}, Case{70000, false, 3}, Case{0x1000001, false, 4}}) {
    std::vector<uint32_t> tuples(rows * width, 0);
    for (size_t r = 0; r < rows; ++r) {
      tuples[r * width] = 12345;  // the other position, which must not leak in
      tuples[r * width + position] =
          c.tableRows == 1 ? 0 : c.identity ? static_cast<uint32_t>(r)
                                            : static_cast<uint32_t>((r * 7919) % c.tableRows);
    }
    tuples[(rows - 1) * width + position] = static_cast<uint32_t>(c.tableRows - 1);
    if (c.identity) tuples[(rows - 1) * width + position] = rows - 1;
    jet::sql::Relation relation;
    relation.slots = {0, 1};
    relation.word = {0, 1};
    relation.width = width;
    relation.tuples = tuples;
    relation.count = rows;
    RowNumberColumn numbers(relation, position, c.tableRows);
    SCOPED_TRACE(c.tableRows);
    EXPECT_EQ(numbers.memoryBytes(), rows * c.bytesPerRow);
    for (size_t r = 0; r < rows; ++r) ASSERT_EQ(numbers.at(r), tuples[r * width + position]) << r;
  }
}

// Stored text: plain UTF-16LE (an odd last byte dropped), and compressed text switching
// between one- and two-byte runs at each 00 byte.
TEST(TextCodecTest, DecodesPlainAndCompressedRuns) {
  const std::vector<uint8_t> plain = {'A', 0, 0x16, 0x04, 'z', 0, 0x7F};
  EXPECT_EQ(jet::decodeJetText(plain), u"A\u0416z");
  const std::vector<uint8_t> compressed = {0xFF, 0xFE, 'a', 0xE9, 0, 0x16, 0x04, 0x18, 0x04, 0,
                                           'b', 0, 0, 'c'};
  EXPECT_EQ(jet::decodeJetText(compressed), u"a\u00e9\u0416\u0418bc");
  // One-byte runs of every length around the 8- and 16-character steps.
  for (size_t n = 0; n <= 40; ++n) {
    std::vector<uint8_t> run = {0xFF, 0xFE};
    std::u16string expected;
    for (size_t i = 0; i < n; ++i) {
      run.push_back(static_cast<uint8_t>(0xA0 + i));
      expected.push_back(static_cast<char16_t>(0xA0 + i));
    }
    EXPECT_EQ(jet::decodeJetText(run), expected) << n;
  }
  std::u16string reused = u"previous contents";
  jet::decodeJetText(std::vector<uint8_t>{0xFF, 0xFE}, reused);
  EXPECT_EQ(reused, u"");
}

}  // namespace
