// The window operations the run uses, as the Qt window provides them: the file dialog with
// its case-blind filter and its cancel error, the single-precision progress bar, the modal
// message box, the one yield and the program directory.
#include <fstream>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/qt/file_dialog.h"
#include "app/qt/progress_bar.h"
#include "app/qt/qt_run_window.h"
#include "tests/app/qt_support.h"
#include "tests/support/paths.h"

namespace {

using apptest::control;

class RunWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = apptest::shownWindow();
    ops_ = std::make_unique<app::QtRunWindow>(*window_);
  }
  void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  void prepareDialog() {
    ops_->setDialogCancelError(true);
    ops_->setDialogTitle(u"Select your Tarvo Database File");
    ops_->setDialogFilter(u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb");
    ops_->setDialogFlags(1);
    ops_->setDialogInitDir(dir_.path().u16string());
  }

  testsupport::TempDir dir_;
  std::unique_ptr<app::FrmMain> window_;
  std::unique_ptr<app::QtRunWindow> ops_;
};

QStringList listedNames(QFileDialog* dialog) {
  auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
  QStringList names;
  if (view == nullptr) return names;
  apptest::waitUntil([&] { return view->model()->rowCount(view->rootIndex()) > 0; });
  for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
    names << view->model()->index(row, 0, view->rootIndex()).data().toString();
  names.sort();
  return names;
}

TEST_F(RunWindowTest, FilterShowsTarvoDatabasesWhateverTheirCase) {
  for (const char* name : {"Tarvo.MDB", "tarvo_2024.mdb", "TARVO.mdb", "other.mdb", "tarvo.txt",
                           "mytarvo.mdb"})
    touch(name);
  prepareDialog();
  QStringList shown;
  QString filterShown, title;
  bool readOnly = false;
  apptest::ModalWatcher watcher([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    shown = listedNames(dialog);
    filterShown = dialog->selectedNameFilter();
    title = dialog->windowTitle();
    readOnly = dialog->testOption(QFileDialog::ReadOnly);
    dialog->reject();
  });
  EXPECT_THROW(ops_->showOpenDialog(), run::WindowError);
  EXPECT_EQ(shown, (QStringList{"TARVO.mdb", "Tarvo.MDB", "tarvo_2024.mdb"}));
  EXPECT_TRUE(filterShown.startsWith("Tarvo Data ONLY (tarvo*.mdb)"));
  EXPECT_EQ(title, "Select your Tarvo Database File");
  EXPECT_TRUE(readOnly);
}

TEST_F(RunWindowTest, ChosenFileComesBackAsItsFullPath) {
  touch("Tarvo.MDB");
  prepareDialog();
  const QString wanted = QString::fromStdU16String((dir_ / "Tarvo.MDB").u16string());
  apptest::ModalWatcher watcher([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    // Typed as a user would: selectFile() leaves the name box alone while it has the focus,
    // and the dialog may refuse an accept while it still reads the directory, so try again
    // until it closes.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(apptest::waitUntil([&] {
      name->setText(wanted);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides accept()
      return !dialog->isVisible();
    }, 10000));
  });
  ops_->showOpenDialog();
  EXPECT_EQ(QString::fromStdU16String(ops_->dialogFileName()), QDir::toNativeSeparators(wanted));
}

TEST_F(RunWindowTest, CancelFailsWith32755OnlyWhenTheCancelSwitchIsOn) {
  prepareDialog();
  apptest::ModalWatcher watcher([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  try {
    ops_->showOpenDialog();
    ADD_FAILURE() << "a cancel with the switch on must fail";
  } catch (const run::WindowError& e) {
    EXPECT_EQ(e.number(), 32755);
    EXPECT_FALSE(e.description().empty());
  }

  ops_->setDialogCancelError(false);
  EXPECT_NO_THROW(ops_->showOpenDialog());
  EXPECT_TRUE(ops_->dialogFileName().empty());
}

TEST(NameFilters, DescriptionAndPatternPairs) {
  EXPECT_EQ(app::qtNameFilters("Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb"),
            QStringList{"Tarvo Data ONLY (tarvo*.mdb) (tarvo*.mdb)"});
  EXPECT_EQ(app::qtNameFilters("Access|*.mdb;*.accdb|All files|*.*"),
            (QStringList{"Access (*.mdb *.accdb)", "All files (*.*)"}));
  EXPECT_TRUE(app::qtNameFilters("").isEmpty());
  EXPECT_TRUE(app::qtNameFilters("Only a description").isEmpty());
  EXPECT_TRUE(app::qtNameFilters("Empty pattern|").isEmpty());
}

TEST_F(RunWindowTest, ProgressBarKeepsSinglePrecisionValues) {
  auto* bar = control<app::ProgressBar>(*window_, "ProgressBar1");
  EXPECT_EQ(ops_->progressMin(), 0.0f);
  ops_->setProgressMax(42.0f);
  ops_->setProgressVisible(true);
  EXPECT_TRUE(bar->isVisible());
  for (int k = 1; k <= 21; ++k) ops_->setProgressValue(ops_->progressValue() + 1);
  EXPECT_EQ(ops_->progressValue(), 21.0f);
  EXPECT_EQ(ops_->progressMax(), 42.0f);
  EXPECT_EQ(bar->QProgressBar::value() * 2, bar->maximum());  // the Qt bar shows half

  // A total beyond the int range and beyond float precision keeps its float value.
  ops_->setProgressMax(16777217.0f);
  EXPECT_EQ(ops_->progressMax(), 16777216.0f);
  ops_->setProgressVisible(false);
  EXPECT_FALSE(bar->isVisible());
}

TEST_F(RunWindowTest, ProgressBarRefusesValuesOutOfRangeAndKeepsItsState) {
  ops_->setProgressMax(10.0f);
  ops_->setProgressValue(10.0f);
  auto refused = [&](auto&& call) {
    try {
      call();
    } catch (const run::WindowError& e) {
      return e.number() == 380;
    }
    return false;
  };
  EXPECT_TRUE(refused([&] { ops_->setProgressValue(11.0f); }));
  EXPECT_TRUE(refused([&] { ops_->setProgressValue(-1.0f); }));
  EXPECT_TRUE(refused([&] { ops_->setProgressMax(-1.0f); }));
  EXPECT_EQ(ops_->progressValue(), 10.0f);
  EXPECT_EQ(ops_->progressMax(), 10.0f);

  // An empty database: the maximum may equal the minimum.
  ops_->setProgressMax(0.0f);
  EXPECT_EQ(ops_->progressMax(), 0.0f);
  // A later, smaller run keeps the value the last run left; the run brings it down itself.
  EXPECT_EQ(ops_->progressValue(), 10.0f);
  ops_->setProgressValue(ops_->progressMax());
  EXPECT_EQ(ops_->progressValue(), 0.0f);
}

TEST_F(RunWindowTest, MessageIsModalWithOneOkButtonAndNoIcon) {
  QString text, title;
  int buttons = -1;
  bool modal = false, noIcon = false;
  apptest::ModalWatcher watcher([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    buttons = static_cast<int>(box->buttons().size());
    modal = box->isModal();
    noIcon = box->icon() == QMessageBox::NoIcon;
    box->button(QMessageBox::Ok)->click();
  });
  ops_->showMessage(u"-2147467259-Not a valid password.", u"Error in cmdRUN");
  EXPECT_EQ(text, "-2147467259-Not a valid password.");
  EXPECT_EQ(title, "Error in cmdRUN");
  EXPECT_EQ(buttons, 1);
  EXPECT_TRUE(modal);
  EXPECT_TRUE(noIcon);
}

TEST_F(RunWindowTest, YieldHandlesWaitingEventsAndProgramDirectoryIsOurs) {
  bool handled = false;
  QMetaObject::invokeMethod(window_.get(), [&] { handled = true; }, Qt::QueuedConnection);
  ops_->processPendingEvents();
  EXPECT_TRUE(handled);
  EXPECT_EQ(QString::fromStdU16String(ops_->programDirectory().u16string()),
            QCoreApplication::applicationDirPath());
}

}  // namespace
