#include "jet/util/value.h"

#include <gtest/gtest.h>

// Null and the empty text are different values; equality compares type and content.
TEST(ValueTest, NullEmptyTextAndTypesAreDistinct) {
  jet::Value null;
  jet::Value empty = std::u16string();
  EXPECT_TRUE(null.isNull());
  EXPECT_FALSE(empty.isNull());
  EXPECT_NE(null, empty);
  EXPECT_NE(jet::Value(int32_t{1}), jet::Value(int16_t{1}));
  EXPECT_EQ(jet::Value(jet::DateTime{1.5}), jet::Value(jet::DateTime{1.5}));
  EXPECT_NE(jet::Value(jet::DateTime{1.5}), jet::Value(1.5));
}
