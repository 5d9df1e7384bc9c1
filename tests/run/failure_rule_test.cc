// The run failure rule as a mechanism: how failures become boxes, the cancel, decisions.
#include <gtest/gtest.h>

#include <limits>

#include "jet/util/error.h"
#include "run/failure_rule.h"
#include "tests/run/fake_window.h"

namespace {

using runtest::FakeWindow;

TEST(FailureRule, EveryKindOfFailureBecomesNumberDashDescription) {
  FakeWindow w;
  run::FailureRule rule(w);
  EXPECT_FALSE(rule.attempt([] { throw jet::Error(jet::errc::kInvalidPassword, "Not a valid password."); }));
  EXPECT_FALSE(rule.attempt([] { throw run::WindowError(380, "Invalid property value"); }));
  EXPECT_FALSE(rule.attempt([] { (void)run::checkedAdd(std::numeric_limits<int32_t>::max(), 1); }));
  EXPECT_FALSE(rule.attempt([] { throw jet::Error(3021, "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record. \xC3\xA9"); }));
  EXPECT_TRUE(rule.attempt([] {}));
  ASSERT_EQ(w.boxes.size(), 4u);
  EXPECT_EQ(w.boxes[0].text, u"-2147217843-Not a valid password.");
  EXPECT_EQ(w.boxes[1].text, u"380-Invalid property value");
  EXPECT_EQ(w.boxes[2].text, u"6-Overflow");
  EXPECT_EQ(w.boxes[3].text.substr(0, 5), u"3021-");
  EXPECT_EQ(w.boxes[3].text.back(), u'\u00e9');  // UTF-8 descriptions arrive as UTF-16
  for (const auto& box : w.boxes) EXPECT_EQ(box.title, u"Error in cmdRUN");
  EXPECT_EQ(rule.reported(), 4);
}

TEST(FailureRule, CancelErrorIsNeverShown) {
  FakeWindow w;
  run::FailureRule rule(w);
  EXPECT_THROW(rule.attempt([] { throw run::WindowError(run::kCancelError, "Cancel"); }),
               run::RunCancelled);
  EXPECT_TRUE(w.boxes.empty());
}

TEST(FailureRule, AFailedDecisionTakesTheTrueBranch) {
  FakeWindow w;
  run::FailureRule rule(w);
  EXPECT_TRUE(rule.decide([]() -> bool { throw jet::Error(3704, "closed"); }));
  EXPECT_FALSE(rule.decide([] { return false; }));
  EXPECT_EQ(w.boxes.size(), 1u);
}

TEST(FailureRule, CheckedAddStaysIn32Bits) {
  EXPECT_EQ(run::checkedAdd(12, 30), 42);
  EXPECT_EQ(run::checkedAdd(std::numeric_limits<int32_t>::min(), -0), std::numeric_limits<int32_t>::min());
  EXPECT_THROW(run::checkedAdd(std::numeric_limits<int32_t>::min(), -1), run::RunError);
}

}  // namespace
