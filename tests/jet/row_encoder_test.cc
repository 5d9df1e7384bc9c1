// The row encoder that keeps its buffers from row to row: every row reads back through the
// reader's RowView as written, whatever rows the encoder built before it. And a Jet 3 row
// (which nothing here writes) read through its jump table.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "jet/util/error.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/format/row_builder.h"
#include "jet/format/row_view.h"
#include "jet/format/text_encoding.h"

namespace {

using jet::ColumnType;
using jet::Value;

jet::ColumnDef fixedColumn(std::u16string name, ColumnType type, uint16_t number, uint16_t offset,
                           uint16_t length) {
  jet::ColumnDef c;
  c.name = std::move(name);
  c.type = type;
  c.number = c.number2 = number;
  c.flags = jet::column_flag::kNullable | jet::column_flag::kFixed;
  c.fixedOffset = offset;
  c.length = length;
  return c;
}

jet::ColumnDef textColumn(std::u16string name, uint16_t number, uint16_t varIndex, bool compressed) {
  jet::ColumnDef c;
  c.name = std::move(name);
  c.type = ColumnType::Text;
  c.number = c.number2 = number;
  c.varIndex = varIndex;
  c.length = 2 * 60;
  if (compressed) c.extraFlags = jet::kExtraFlagCompressedUnicode;
  return c;
}

// A Yes/No column, a gap in the numbers, and the variable slots in column order (as tables
// made here have them) or in another order (as other files may).
jet::TableDef layout(bool slotsInColumnOrder) {
  jet::TableDef t;
  t.name = u"Mixed";
  t.columns.push_back(fixedColumn(u"Id", ColumnType::Long, 0, 0, 4));
  t.columns.push_back(textColumn(u"Name", 1, slotsInColumnOrder ? 0 : 2, false));
  t.columns.push_back(fixedColumn(u"Passed", ColumnType::Boolean, 2, 0, 0));
  t.columns.push_back(textColumn(u"Place", 3, slotsInColumnOrder ? 1 : 0, true));
  t.columns.push_back(fixedColumn(u"Taken", ColumnType::DateTime, 5, 4, 8));
  t.columns.push_back(textColumn(u"Note", 6, slotsInColumnOrder ? 2 : 1, false));
  t.maxColumns = 7;
  t.varColumnCount = 3;
  return t;
}

std::vector<uint8_t> textBytes(const jet::ColumnDef& c, const Value& v) {
  return jet::encodeText(v.get<std::u16string>(), c.isCompressedUnicode());
}

// What the reader finds in `row`, column by column, against the values written.
void expectReadsBack(const jet::TableDef& t, std::span<const uint8_t> row, const std::vector<Value>& values) {
  const jet::RowView view(jet::ByteView(row, 0), t);
  EXPECT_EQ(view.columnCount(), t.maxColumns);
  for (size_t i = 0; i < t.columns.size(); ++i) {
    const jet::ColumnDef& c = t.columns[i];
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    if (c.type == ColumnType::Boolean) {
      EXPECT_EQ(view.presentBit(c.number), values[i] == Value(true));
      continue;
    }
    const auto bytes = view.columnBytes(c);
    ASSERT_EQ(bytes.has_value(), !values[i].isNull());
    if (!bytes) continue;
    const auto got = bytes->bytes();
    if (c.type == ColumnType::Text) {
      const auto want = textBytes(c, values[i]);
      EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), want);
    } else if (c.type == ColumnType::Long) {
      EXPECT_EQ(static_cast<int32_t>(jet::ByteView(got).u32(0)), values[i].get<int32_t>());
    } else {
      double d;
      ASSERT_EQ(got.size(), sizeof d);
      std::memcpy(&d, got.data(), sizeof d);
      EXPECT_EQ(d, values[i].get<jet::DateTime>().days);
    }
  }
}

const jet::LongValueStore kNoLongValues = [](const jet::ColumnDef&, std::span<const uint8_t>) -> std::vector<uint8_t> {
  throw jet::Error(jet::errc::kUnspecified, "no long values here");
};

TEST(RowEncoder, RowsAfterLargerRowsCarryNothingOfThem) {
 for (bool inOrder : {true, false}) {
  SCOPED_TRACE(inOrder ? "slots in column order" : "slots in another order");
  const jet::TableDef t = layout(inOrder);
  const std::u16string wide = u"\u0416\u0443\u0440\u043d\u0430\u043b";  // not compressible
  const std::vector<std::vector<Value>> rows = {
      {int32_t{1}, std::u16string(50, u'n'), true, std::u16string(40, u'p'), jet::DateTime{40000.25},
       std::u16string(59, u'x')},
      {int32_t{2}, Value(), false, std::u16string(u"Hall"), Value(), Value()},
      {Value(), std::u16string(), Value(), wide, jet::DateTime{1.5}, std::u16string(u"ok")},
      {int32_t{-4}, Value(), Value(), Value(), Value(), Value()},
      {int32_t{5}, std::u16string(u"ab"), true, std::u16string(u"abc"), Value(), std::u16string(60, u'z')},
  };
  jet::RowEncoder encoder;
  for (size_t r = 0; r < rows.size(); ++r) {
    SCOPED_TRACE(r);
    const auto bytes = encoder.encode(t, rows[r], kNoLongValues);
    expectReadsBack(t, bytes, rows[r]);
    // A fresh encoder gives the same bytes.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), jet::buildRow(t, rows[r], kNoLongValues));
  }
 }
}

TEST(RowEncoder, AReplacedValueStandsInForTheCallersOwn) {
  const jet::TableDef t = layout(false);
  const std::vector<Value> given = {Value(), std::u16string(u"Ann"), true, Value(), Value(), Value()};
  const Value number = int32_t{77};
  jet::RowEncoder encoder;
  const auto bytes = encoder.encode(t, jet::RowValues(given, 0, number), kNoLongValues);
  std::vector<Value> copy = given;
  copy[0] = number;
  expectReadsBack(t, bytes, copy);
  EXPECT_EQ(given[0], Value());  // the caller's values are left alone

  // Values found through pointers, a null pointer reading as Null, encode as the values do.
  const Value place = std::u16string(u"Station 4"), note = std::u16string(u"n");
  const std::vector<const Value*> pointers = {&number, nullptr, &given[2], &place, nullptr, &note};
  const std::vector<Value> same = {number, Value(), given[2], place, Value(), note};
  const auto viaPointers = encoder.encode(t, jet::RowValues(std::span<const Value* const>(pointers)), kNoLongValues);
  EXPECT_EQ(std::vector<uint8_t>(viaPointers.begin(), viaPointers.end()), jet::buildRow(t, same, kNoLongValues));
  expectReadsBack(t, viaPointers, same);
}

TEST(RowEncoder, RefusalsLeaveTheEncoderUsable) {
  const jet::TableDef t = layout(false);
  jet::RowEncoder encoder;
  auto number = [&](const std::vector<Value>& row) {
    try {
      encoder.encode(t, row, kNoLongValues);
    } catch (const jet::Error& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number({Value(), std::u16string(61, u'n'), Value(), Value(), Value(), Value()}), jet::errc::kDataOverflow);
  EXPECT_EQ(number({std::u16string(u"1"), Value(), Value(), Value(), Value(), Value()}), jet::errc::kTypeMismatch);
  EXPECT_EQ(number({Value(), Value()}), jet::errc::kUnspecified);
  // A column numbered past the null mask (a damaged definition) is refused, not written.
  jet::TableDef damaged = t;
  damaged.columns[4].number = 200;
  EXPECT_EQ(number(std::vector<Value>{Value(), Value(), Value(), Value(), jet::DateTime{2.0}, Value()}), 0);
  try {
    encoder.encode(damaged, std::vector<Value>{Value(), Value(), Value(), Value(), jet::DateTime{2.0}, Value()},
                   kNoLongValues);
    ADD_FAILURE() << "a column past the null mask was written";
  } catch (const jet::Error& e) {
    EXPECT_EQ(e.number(), jet::errc::kUnspecified);
  }
  const std::vector<Value> fine = {int32_t{9}, std::u16string(u"Bo"), true, Value(), Value(), std::u16string(u"n")};
  expectReadsBack(t, encoder.encode(t, fine, kNoLongValues), fine);
}

// Jet 3 offsets are single bytes: the jump entry says from which slot on they lie 256 further.
// Id, then slots of 200, 100 and 5 bytes: slot 2 (305) and the end of data (310) jump.
TEST(RowEncoder, AJet3RowReachesItsValuesPastItsFirst256Bytes) {
  jet::TableDef t = layout(true);
  t.jet3 = true;
  t.columns.erase(t.columns.begin() + 4);  // no Date/Time
  t.columns.erase(t.columns.begin() + 2);  // nor Yes/No
  std::vector<uint8_t> row = {7, 42, 0, 0, 0};
  for (auto [byte, n] : {std::pair{'a', 200}, {'b', 100}, {'c', 5}}) row.insert(row.end(), n, byte);
  // End of data, slots 2, 1, 0 (last-first), the jump entry (slot 2), the slot count, the mask.
  for (uint8_t b : {310 - 256, 305 - 256, 205, 5, 2, 3, 0x4B}) row.push_back(b);
  const jet::RowView view(jet::ByteView(row, 0), t);
  const std::pair<size_t, size_t> expected[] = {{1, 4}, {5, 200}, {205, 100}, {305, 5}};
  for (size_t i = 0; i < t.columns.size(); ++i) {
    auto bytes = view.columnBytes(t.columns[i]);
    ASSERT_TRUE(bytes.has_value()) << i;
    EXPECT_EQ(bytes->bytes().data() - row.data(), static_cast<ptrdiff_t>(expected[i].first)) << i;
    EXPECT_EQ(bytes->size(), expected[i].second) << i;
  }
}

TEST(TextEncoding, AppendingKeepsWhatTheBufferHeld) {
  for (bool compress : {false, true}) {
    for (const std::u16string& text : {std::u16string(u"Station 12"), std::u16string(u"\u0416x"), std::u16string()}) {
      std::vector<uint8_t> out = {0xAA, 0xBB};
      jet::appendEncodedText(text, compress, out);
      std::vector<uint8_t> want = {0xAA, 0xBB};
      const auto alone = jet::encodeText(text, compress);
      want.insert(want.end(), alone.begin(), alone.end());
      EXPECT_EQ(out, want);
    }
  }
  // Compressed only where allowed and every character fits one byte.
  EXPECT_EQ(jet::encodeText(u"Station", true).size(), 2u + 7u);
  EXPECT_EQ(jet::encodeText(u"Station", false).size(), 14u);
  EXPECT_EQ(jet::encodeText(u"St\u0416tion", true).size(), 14u);
}

}  // namespace
