// Steps 1 to 8: preparing and showing the file dialog, the cancel, and the yield.
#include <gtest/gtest.h>

#include <algorithm>

#include "run/run_window.h"
#include "tests/run/fake_window.h"

namespace {

using runtest::FakeWindow;

size_t indexOf(const FakeWindow& w, const std::string& op) {
  auto it = std::find(w.calls.begin(), w.calls.end(), op);
  return static_cast<size_t>(it - w.calls.begin());
}

TEST(Choosing, DialogIsPreparedBeforeItIsShown) {
  FakeWindow w;
  w.directory = "/opt/tarvo extractor";
  run::cmdRUN_Click(w);
  EXPECT_TRUE(w.cancelError);
  EXPECT_EQ(w.title, u"Select your Tarvo Database File");
  EXPECT_EQ(w.filter, u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb");
  EXPECT_EQ(w.flags, 1);
  EXPECT_EQ(w.initDir, u"/opt/tarvo extractor");
  const size_t shown = indexOf(w, "showOpenDialog");
  ASSERT_LT(shown, w.calls.size());
  for (const char* op : {"setDialogCancelError", "setDialogTitle", "setDialogFilter",
                         "setDialogFlags", "setDialogInitDir"}) {
    EXPECT_LT(indexOf(w, op), shown) << op;
  }
}

TEST(Choosing, CancelEndsTheRunSilentlyAndLeavesTheWindowAsItWas) {
  FakeWindow w;
  w.results = u"42";
  w.uploadDir = u"L-1.mdb";
  w.uploadName = u"/somewhere";
  w.max = 42;
  w.value = 17;
  w.visible = false;
  run::cmdRUN_Click(w);
  EXPECT_TRUE(w.boxes.empty());
  EXPECT_EQ(w.calls.back(), "showOpenDialog");  // nothing after the cancel: no connection, no yield
  EXPECT_EQ(w.results, u"42");
  EXPECT_EQ(w.uploadDir, u"L-1.mdb");
  EXPECT_EQ(w.uploadName, u"/somewhere");
  EXPECT_EQ(w.max, 42);
  EXPECT_EQ(w.value, 17);
  EXPECT_FALSE(w.visible);
  EXPECT_TRUE(w.progressValues.empty());
}

TEST(Choosing, AFailedSettingIsReportedAndTheRunGoesOn) {
  FakeWindow w;
  w.failOn("setDialogTitle", 380, "Invalid property value");
  w.failOn("setDialogInitDir", -2147467259, "Unspecified error");
  run::cmdRUN_Click(w);
  ASSERT_EQ(w.boxes.size(), 2u);
  EXPECT_EQ(w.boxes[0].text, u"380-Invalid property value");
  EXPECT_EQ(w.boxes[0].title, u"Error in cmdRUN");
  EXPECT_EQ(w.boxes[1].text, u"-2147467259-Unspecified error");
  EXPECT_EQ(w.boxes[1].title, u"Error in cmdRUN");
  // The steps after each failure still ran, and the title kept its former value.
  EXPECT_EQ(w.filter, u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb");
  EXPECT_EQ(w.count("showOpenDialog"), 1);
  EXPECT_TRUE(w.title.empty());
}

TEST(Choosing, YieldsOnceRightAfterTheDialog) {
  FakeWindow w;
  w.choice = u"/nowhere/tarvo_missing.mdb";
  run::cmdRUN_Click(w);
  EXPECT_EQ(w.count("processPendingEvents"), 1);
  const size_t read = indexOf(w, "dialogFileName");
  ASSERT_LT(read + 1, w.calls.size());
  EXPECT_EQ(w.calls[read + 1], "processPendingEvents");
}

TEST(Choosing, ASecondClickStartsAfreshAndAsksAgain) {
  FakeWindow w;
  w.choice = u"/nowhere/tarvo_missing.mdb";
  run::cmdRUN_Click(w);
  w.choice.reset();
  w.boxes.clear();
  run::cmdRUN_Click(w);
  EXPECT_EQ(w.count("showOpenDialog"), 2);
  EXPECT_TRUE(w.boxes.empty());
}

}  // namespace
