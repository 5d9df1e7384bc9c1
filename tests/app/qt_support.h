// Shared by the window tests: one QApplication for the test process, waiting on the event
// loop, and acting on the next modal window (file dialog, message box) once it is open.
#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "app/frm_main.h"

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
inline bool waitUntil(const std::function<bool()>& ready, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!ready()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Calls act(modal) once a modal window is open (from inside its own event loop); gives up
// after the timeout, so that a test cannot hang on a dialog that never appears.
inline void onNextModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, act = std::move(act), timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

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
