// frmMain's behaviour: the load step, the focus and tab order, no default or cancel button,
// EXIT and closing ending the program, and START running the real run whose cancelled file
// dialog leaves the window as it was.
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/qt/progress_bar.h"
#include "run/run_window.h"
#include "tests/app/qt_support.h"

namespace {

using apptest::control;

std::string focusName() {
  QWidget* w = QApplication::focusWidget();
  return w ? w->objectName().toStdString() : std::string("<none>");
}

TEST(WindowStart, BarHiddenAtItsMinimumBoxesEmptyFocusOnExit) {
  auto window = apptest::shownWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 30000));
  auto* bar = control<app::ProgressBar>(*window, "ProgressBar1");
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->value(), bar->min());
  EXPECT_EQ(bar->min(), 0.0f);
  EXPECT_EQ(bar->max(), 100.0f);
  for (const char* name : {"txtResults", "txtUploadFileDirectory", "txtUploadFileName"})
    EXPECT_TRUE(control<QLineEdit>(*window, name)->text().isEmpty()) << name;
  EXPECT_EQ(focusName(), "cmdEND");
}

TEST(WindowKeyboard, TabCyclesExitStartAndTheThreeBoxes) {
  auto window = apptest::shownWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 30000));
  const std::vector<std::string> forward = {"cmdRUN", "txtUploadFileName",
                                            "txtUploadFileDirectory", "txtResults", "cmdEND"};
  std::vector<std::string> seen;
  for (size_t i = 0; i < forward.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen.push_back(focusName());
  }
  EXPECT_EQ(seen, forward);

  seen.clear();
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    seen.push_back(focusName());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"txtResults", "txtUploadFileDirectory",
                                            "txtUploadFileName", "cmdRUN", "cmdEND"}));
}

TEST(WindowKeyboard, NoDefaultNoCancelButtonAndNoAccessKeys) {
  int starts = 0;
  auto window = apptest::shownWindow([&](run::RunWindow&) { ++starts; });
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 30000));
  for (auto* button : window->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->text().contains('&'));
  }
  for (auto* label : window->findChildren<QLabel*>())
    EXPECT_NE(label->textFormat(), Qt::RichText);
  for (auto* group : window->findChildren<QGroupBox*>()) EXPECT_FALSE(group->title().contains('&'));

  // Enter and Esc do nothing: START does not run, the window stays.
  QTest::keyClick(window.get(), Qt::Key_Return);
  QTest::keyClick(window.get(), Qt::Key_Enter);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
  QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(starts, 0);
  EXPECT_TRUE(window->isVisible());
}

// Runs the event loop until the window ends it; a watchdog ends it with 99 otherwise.
int runEventLoop() {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  watchdog.start(30000);
  return QCoreApplication::exec();
}

TEST(WindowEnd, ExitEndsTheProgramAtOnce) {
  int starts = 0;
  auto window = apptest::shownWindow([&](run::RunWindow&) { ++starts; });
  QTimer::singleShot(0, [&] { control<QPushButton>(*window, "cmdEND")->click(); });
  EXPECT_EQ(runEventLoop(), 0);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(starts, 0);
}

TEST(WindowEnd, ClosingTheWindowEndsTheProgram) {
  auto window = apptest::shownWindow();
  QTimer::singleShot(0, [&] { window->close(); });
  EXPECT_EQ(runEventLoop(), 0);
  EXPECT_FALSE(window->isVisible());
}

TEST(WindowEnd, ExitRightAfterARunEndsTheProgram) {
  auto window = apptest::shownWindow([](run::RunWindow& w) { w.setResultsText(u"7"); });
  QTimer::singleShot(0, [&] {
    control<QPushButton>(*window, "cmdRUN")->click();
    control<QPushButton>(*window, "cmdEND")->click();
  });
  EXPECT_EQ(runEventLoop(), 0);
  EXPECT_EQ(control<QLineEdit>(*window, "txtResults")->text(), "7");
}

// The run's one yield is where a click on EXIT during a run lands: the process ends there,
// before the run goes on to open anything.
TEST(WindowEndDeathTest, ExitDuringTheRunsYieldEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QPushButton* exitButton = nullptr;
        auto window = apptest::shownWindow([&](run::RunWindow& w) {
          QTimer::singleShot(0, [&] { exitButton->click(); });
          w.processPendingEvents();
          std::exit(3);  // only reached when EXIT did not end the process
        });
        exitButton = control<QPushButton>(*window, "cmdEND");
        control<QPushButton>(*window, "cmdRUN")->click();
        std::exit(4);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(WindowStartButton, EachPressIsANewRunOnThisWindow) {
  int starts = 0;
  auto window = apptest::shownWindow([&](run::RunWindow& w) {
    ++starts;
    w.setResultsText(starts == 1 ? u"42" : u"43");
    w.setProgressMax(42.0f);
  });
  auto* start = control<QPushButton>(*window, "cmdRUN");
  start->click();
  EXPECT_EQ(control<QLineEdit>(*window, "txtResults")->text(), "42");
  EXPECT_EQ(control<app::ProgressBar>(*window, "ProgressBar1")->max(), 42.0f);
  start->click();
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(control<QLineEdit>(*window, "txtResults")->text(), "43");
}

// With the real run: the dialog asks for a Tarvo database in the program directory; its
// cancel ends the run silently and leaves every box and the bar as they were.
TEST(WindowStartButton, CancelledDialogLeavesTheWindowAsItWas) {
  auto window = apptest::shownWindow(run::cmdRUN_Click);
  auto* results = control<QLineEdit>(*window, "txtResults");
  auto* directory = control<QLineEdit>(*window, "txtUploadFileDirectory");
  auto* name = control<QLineEdit>(*window, "txtUploadFileName");
  auto* bar = control<app::ProgressBar>(*window, "ProgressBar1");
  results->setText("12");
  directory->setText("1234.mdb");
  name->setText("/somewhere");

  QString title, shownDirectory;
  QStringList filters;
  apptest::ModalWatcher watcher([&](QWidget* modal) {
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      title = dialog->windowTitle();
      shownDirectory = dialog->directory().absolutePath();
      filters = dialog->nameFilters();
      dialog->reject();
    } else {
      modal->close();  // a message box: counted below
    }
  });
  control<QPushButton>(*window, "cmdRUN")->click();

  EXPECT_EQ(watcher.seen(), 1);
  EXPECT_EQ(title, "Select your Tarvo Database File");
  EXPECT_EQ(shownDirectory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
  ASSERT_EQ(filters.size(), 1);
  EXPECT_TRUE(filters[0].startsWith("Tarvo Data ONLY (tarvo*.mdb)"));
  EXPECT_EQ(results->text(), "12");
  EXPECT_EQ(directory->text(), "1234.mdb");
  EXPECT_EQ(name->text(), "/somewhere");
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->value(), 0.0f);
  EXPECT_EQ(bar->max(), 100.0f);
}

}  // namespace
