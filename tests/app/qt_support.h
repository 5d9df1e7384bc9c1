// Shared by the window tests: one QApplication for the test process, waiting on the event
// loop, and acting on the next modal window (file dialog, message box) once it is open.
#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/qt/frm_main.h"

namespace apptest {

inline QApplication& application() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down during static destruction is not safe.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

// Processes events until ready() holds or the time runs out; returns ready().
inline bool waitUntil(const std::function<bool()>& ready, int timeoutMs = 30000) {
  QElapsedTimer clock;
  clock.start();
  while (!ready()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// While it lives, hands every modal window that opens (file dialog, message box) to act,
// once each, from inside that window's own event loop. act must close the window, so that a
// test never hangs on a modal it did not expect.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(10);
  }
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;
  int seen() const { return seen_; }

 private:
  void poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (busy_ || modal == nullptr || !modal->isVisible()) return;
    if (modal == last_) {
      // act did not close it (a dialog may refuse an accept it cannot yet check): close it
      // after a while, so the test fails instead of hanging in the dialog's event loop.
      if (sinceAct_.elapsed() > kStuckMs) {
        ADD_FAILURE() << "a modal window stayed open after the test acted on it";
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject(); else modal->close();
      }
      return;
    }
    busy_ = true;
    last_ = modal;
    ++seen_;
    act_(modal);
    sinceAct_.start();
    busy_ = false;
  }

  static constexpr qint64 kStuckMs = 20000;

  std::function<void(QWidget*)> act_;
  QTimer timer_;
  QPointer<QWidget> last_;
  QElapsedTimer sinceAct_;
  bool busy_ = false;
  int seen_ = 0;
};

// A shown window with a do-nothing START unless the test gives one.
inline std::unique_ptr<app::FrmMain> shownWindow(app::FrmMain::RunHandler onStart = {}) {
  application();
  auto window = std::make_unique<app::FrmMain>(std::move(onStart));
  window->show();
  return window;
}

template <typename T = QWidget>
T* control(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace apptest
