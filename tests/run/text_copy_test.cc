// The text copy of values that FillCertRow writes into text columns.
#include <gtest/gtest.h>

#include "run/text_copy.h"

namespace {

using run::textCopy;

TEST(TextCopy, NullAndTextKeepTheirMeaning) {
  EXPECT_EQ(textCopy(data::Value()), u"");
  EXPECT_EQ(textCopy(data::Value(std::u16string(u"  Jackson "))), u"  Jackson ");
  EXPECT_EQ(textCopy(data::Value(std::u16string(u"\u00c5sa \U0001F600"))), u"\u00c5sa \U0001F600");
}

TEST(TextCopy, NumbersAndTruthValues) {
  EXPECT_EQ(textCopy(data::Value(true)), u"True");
  EXPECT_EQ(textCopy(data::Value(false)), u"False");
  EXPECT_EQ(textCopy(data::Value(uint8_t{255})), u"255");
  EXPECT_EQ(textCopy(data::Value(int16_t{-32768})), u"-32768");
  EXPECT_EQ(textCopy(data::Value(int32_t{918113})), u"918113");
  EXPECT_EQ(textCopy(data::Value(1.5)), u"1.5");
  EXPECT_EQ(textCopy(data::Value(0.1)), u"0.1");
  EXPECT_EQ(textCopy(data::Value(1e20)), u"1E+20");
  EXPECT_EQ(textCopy(data::Value(2.5e-7f)), u"2.5E-07");
  EXPECT_EQ(textCopy(data::Value(jet::Currency{125000})), u"12.5");
  EXPECT_EQ(textCopy(data::Value(jet::Currency{-1})), u"-0.0001");
  EXPECT_EQ(textCopy(data::Value(jet::Currency{INT64_MIN})), u"-922337203685477.5808");
  jet::Decimal d;
  d.negative = true;
  d.scale = 3;
  d.mantissa = {1234500, 0, 0};
  EXPECT_EQ(textCopy(data::Value(d)), u"-1234.5");
  d.mantissa = {0, 0, 1};  // 2^64
  d.negative = false;
  d.scale = 0;
  EXPECT_EQ(textCopy(data::Value(d)), u"18446744073709551616");
}

TEST(TextCopy, DatesAreCalendarDates) {
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{0})), u"1899-12-30");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{42364.35167824074})), u"2015-12-26 08:26:25");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{-1.25})), u"1899-12-29 06:00:00");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{60.0})), u"1900-02-28");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{61.0})), u"1900-03-01");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{36585.0})), u"2000-02-29");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{0.99999999})), u"1899-12-31");  // rounds up a day
  // To the nearest second, as Jet shows a date: 23:59:59.7 is the next midnight.
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{45000 + 86399.7 / 86400})), u"2023-03-16");
  EXPECT_EQ(textCopy(data::Value(jet::DateTime{-1.99999999})), u"1899-12-30");
}

TEST(TextCopy, BinaryAndGuid) {
  EXPECT_EQ(textCopy(data::Value(jet::Bytes{'L', 0, '1', 0})), u"L1");
  jet::Guid g{{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
               0xDD, 0xEE, 0xFF}};
  EXPECT_EQ(textCopy(data::Value(g)), u"{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

}  // namespace
