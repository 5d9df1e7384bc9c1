// What a column makes of a value written into it, and the text form of values.
#include "data/value_convert.h"

#include <gtest/gtest.h>

#include "data/error.h"
#include "tests/data/data_test_support.h"

namespace {

using data::ColumnTarget;
using data::Value;
using jet::ColumnType;

int refusal(const Value& v, const ColumnTarget& c) {
  return datatest::errorOf([&] { data::convertForColumn(v, c); });
}

TEST(ValueConvertTest, TextColumnsTakeAnyValueAsTextUpToTheirSize) {
  ColumnTarget type{u"Type", ColumnType::Text, 0};
  EXPECT_EQ(data::convertForColumn(Value(std::u16string(u"  Q ")), type), Value(std::u16string(u"  Q ")));
  EXPECT_EQ(data::convertForColumn(Value(int32_t{-42}), type), Value(std::u16string(u"-42")));
  EXPECT_EQ(data::convertForColumn(Value(true), type), Value(std::u16string(u"True")));
  EXPECT_EQ(data::convertForColumn(Value(jet::Currency{-5000}), type), Value(std::u16string(u"-0.5")));
  EXPECT_EQ(data::convertForColumn(Value(jet::DateTime{36526.5}), type),
            Value(std::u16string(u"2000-01-01 12:00:00")));
  // The same text as the run's text copy: to the nearest second, 23:59:59.7 the next day.
  EXPECT_EQ(data::convertForColumn(Value(jet::DateTime{45000 + 86399.7 / 86400}), type),
            Value(std::u16string(u"2023-03-16")));
  // Null stays Null and the empty text stays empty.
  EXPECT_TRUE(data::convertForColumn(Value(), type).isNull());
  EXPECT_EQ(data::convertForColumn(Value(std::u16string()), type), Value(std::u16string()));
  // The default size is 255 characters.
  EXPECT_EQ(refusal(Value(std::u16string(255, u'x')), type), 0);
  EXPECT_EQ(refusal(Value(std::u16string(256, u'x')), type), data::errc::kIntegrityViolation);
  EXPECT_EQ(refusal(Value(std::u16string(11, u'x')), {u"Short", ColumnType::Text, 10}),
            data::errc::kIntegrityViolation);
  EXPECT_EQ(refusal(Value(jet::Bytes{1, 2}), type), data::errc::kTypeMismatch);
}

TEST(ValueConvertTest, DatesAndNumbers) {
  ColumnTarget date{u"Date", ColumnType::DateTime, 0};
  EXPECT_EQ(data::convertForColumn(Value(jet::DateTime{40000.25}), date), Value(jet::DateTime{40000.25}));
  EXPECT_EQ(data::convertForColumn(Value(std::u16string(u"2000-01-01")), date), Value(jet::DateTime{36526}));
  EXPECT_EQ(data::convertForColumn(Value(std::u16string(u"12/31/1899 06:00 PM")), date),
            Value(jet::DateTime{1.75}));
  EXPECT_EQ(refusal(Value(std::u16string(u"tomorrow")), date), data::errc::kTypeMismatch);
  EXPECT_EQ(refusal(Value(std::u16string(u"2001-02-29")), date), data::errc::kTypeMismatch);

  ColumnTarget id{u"RecID", ColumnType::Long, 0};
  EXPECT_EQ(data::convertForColumn(Value(int16_t{7}), id), Value(int32_t{7}));
  EXPECT_EQ(data::convertForColumn(Value(std::u16string(u" 12 ")), id), Value(int32_t{12}));
  EXPECT_EQ(data::convertForColumn(Value(2.5), id), Value(int32_t{2}));  // half to even
  EXPECT_EQ(data::convertForColumn(Value(true), id), Value(int32_t{-1}));
  EXPECT_EQ(refusal(Value(3e9), id), data::errc::kIntegrityViolation);
  EXPECT_EQ(refusal(Value(std::u16string(u"12abc")), id), data::errc::kTypeMismatch);
  EXPECT_EQ(refusal(Value(std::u16string(u"nan")), id), data::errc::kTypeMismatch);
  EXPECT_EQ(refusal(Value(int32_t{256}), {u"B", ColumnType::Byte, 0}), data::errc::kIntegrityViolation);
  EXPECT_EQ(data::convertForColumn(Value(std::u16string(u"yes")), {u"F", ColumnType::Boolean, 0}), Value(true));
}

}  // namespace
