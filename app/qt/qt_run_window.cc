#include "app/qt/qt_run_window.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>

#include "app/qt/frm_main.h"
#include "app/qt/progress_bar.h"

namespace app {
namespace {

QString q(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

void QtRunWindow::setDialogCancelError(bool on) { window_.commonDialog1().setCancelError(on); }
void QtRunWindow::setDialogTitle(const std::u16string& title) {
  window_.commonDialog1().setTitle(q(title));
}
void QtRunWindow::setDialogFilter(const std::u16string& filter) {
  window_.commonDialog1().setFilter(q(filter));
}
void QtRunWindow::setDialogFlags(short value) { window_.commonDialog1().setFlags(value); }
void QtRunWindow::setDialogInitDir(const std::u16string& dir) {
  window_.commonDialog1().setInitDir(q(dir));
}
void QtRunWindow::showOpenDialog() { window_.commonDialog1().show(&window_); }
std::u16string QtRunWindow::dialogFileName() const {
  return window_.commonDialog1().fileName().toStdU16String();
}

void QtRunWindow::setResultsText(const std::u16string& text) {
  window_.txtResults().setText(q(text));
}
void QtRunWindow::setUploadFileDirectoryText(const std::u16string& text) {
  window_.txtUploadFileDirectory().setText(q(text));
}
void QtRunWindow::setUploadFileNameText(const std::u16string& text) {
  window_.txtUploadFileName().setText(q(text));
}

float QtRunWindow::progressMin() const { return window_.progressBar1().min(); }
float QtRunWindow::progressMax() const { return window_.progressBar1().max(); }
void QtRunWindow::setProgressMax(float value) { window_.progressBar1().setMax(value); }
float QtRunWindow::progressValue() const { return window_.progressBar1().value(); }
void QtRunWindow::setProgressValue(float value) { window_.progressBar1().setValue(value); }
void QtRunWindow::setProgressVisible(bool visible) {
  window_.progressBar1().setVisible(visible);
}

void QtRunWindow::showMessage(const std::u16string& text, const std::u16string& title) {
  QMessageBox box(QMessageBox::NoIcon, q(title), q(text), QMessageBox::Ok, &window_);
  box.setObjectName(QStringLiteral("runMessage"));
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtRunWindow::processPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

std::filesystem::path QtRunWindow::programDirectory() const {
  return std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String());
}

}  // namespace app
