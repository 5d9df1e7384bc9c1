// The batch front end's window: boxes as lines, the progress line only on a terminal.
#include <gtest/gtest.h>

#include <sstream>

#include "run/batch_window.h"

namespace {

TEST(BatchWindow, BoxesBecomeTitledLinesAndAreCounted) {
  std::ostringstream err;
  run::BatchWindow w("/data/tarvo.mdb", "/out", err, false);
  EXPECT_EQ(w.dialogFileName(), u"/data/tarvo.mdb");
  EXPECT_EQ(w.programDirectory(), std::filesystem::path("/out"));
  w.showMessage(u"-2147217843-Not a valid password.", u"Error in cmdRUN");
  w.showMessage(u"3265-Item not found \u00e9", u"Error in AddNewField");
  EXPECT_EQ(err.str(),
            "Error in cmdRUN: -2147217843-Not a valid password.\n"
            "Error in AddNewField: 3265-Item not found \xC3\xA9\n");
  EXPECT_EQ(w.messagesShown(), 2);
}

TEST(BatchWindow, ProgressIsDrawnOnlyForATerminalAndEndsWithItsLine) {
  std::ostringstream quiet, shown;
  run::BatchWindow off("/s.mdb", "/out", quiet, false), on("/s.mdb", "/out", shown, true);
  for (run::BatchWindow* w : {&off, &on}) {
    w->setProgressMax(4);
    w->setProgressVisible(true);
    for (int i = 1; i <= 4; ++i) w->setProgressValue(static_cast<float>(i));
    w->showMessage(u"6-Overflow", u"Error in cmdRUN");
    w->setProgressVisible(false);
  }
  EXPECT_EQ(quiet.str(), "Error in cmdRUN: 6-Overflow\n");
  const std::string s = shown.str();
  EXPECT_NE(s.find("4/4 rows"), std::string::npos) << s;
  EXPECT_NE(s.find("rows/s"), std::string::npos);
  EXPECT_NE(s.find("100%"), std::string::npos);
  // The message stands on a line of its own, not glued to the bar.
  EXPECT_NE(s.find("\r\033[KError in cmdRUN: 6-Overflow\n"), std::string::npos) << s;
  EXPECT_EQ(s.back(), '\n');
}

TEST(BatchWindow, ResultsArePrintedWithTheWindowsLabels) {
  std::ostringstream err, out;
  run::BatchWindow w("/s.mdb", "/out", err, false);
  w.setResultsText(u"200");
  w.setUploadFileDirectoryText(u"L-918113.mdb");
  w.setUploadFileNameText(u"/out");
  w.printResults(out);
  EXPECT_EQ(out.str(), "File Located in: /out\nFile Generated: L-918113.mdb\nRecords Found: 200\n");
}

}  // namespace
