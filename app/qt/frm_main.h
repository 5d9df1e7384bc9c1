// frmMain on Qt, the program's one window on Linux: the controls of the stored layout
// (app/layout.h), each at its place and size. The layout is fixed, so the window has a
// fixed size and no layout managers.
#pragma once

#include <functional>

#include <QWidget>

#include "app/layout.h"
#include "app/qt/file_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace run {
class RunWindow;
}

namespace app {

class ProgressBar;

class FrmMain : public QWidget {
  Q_OBJECT

 public:
  // START runs onStart on the window's thread, with the window operations of this window.
  using RunHandler = std::function<void(run::RunWindow&)>;
  explicit FrmMain(RunHandler onStart, QWidget* parent = nullptr);

  // The controls the run drives (through QtRunWindow).
  QLineEdit& txtResults() { return *txtResults_; }
  QLineEdit& txtUploadFileDirectory() { return *txtUploadFileDirectory_; }
  QLineEdit& txtUploadFileName() { return *txtUploadFileName_; }
  ProgressBar& progressBar1() { return *progressBar1_; }
  FileDialog& commonDialog1() { return commonDialog1_; }

  bool isRunning() const { return running_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  QWidget* createControl(const layout::Control& c, QWidget* parent);
  void setTabOrder();
  void Form_Load();
  void cmdRUN_Click();
  void cmdEND_Click();
  void endProgram();

  RunHandler onStart_;
  bool running_ = false;

  QPushButton* cmdRUN_ = nullptr;
  QPushButton* cmdEND_ = nullptr;
  QLineEdit* txtResults_ = nullptr;
  QLineEdit* txtUploadFileDirectory_ = nullptr;
  QLineEdit* txtUploadFileName_ = nullptr;
  ProgressBar* progressBar1_ = nullptr;
  FileDialog commonDialog1_;
};

}  // namespace app
