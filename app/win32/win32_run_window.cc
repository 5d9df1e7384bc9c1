#include "app/win32/win32_run_window.h"

#include "app/win32/frm_main.h"
#include "app/win32/message_box.h"
#include "app/win32/text.h"
#include "run/program_directory.h"

namespace app::win32 {

void Win32RunWindow::setDialogCancelError(bool on) { window_.commonDialog1().setCancelError(on); }
void Win32RunWindow::setDialogTitle(const std::u16string& title) {
  window_.commonDialog1().setTitle(wide(title));
}
void Win32RunWindow::setDialogFilter(const std::u16string& filter) {
  window_.commonDialog1().setFilter(wide(filter));
}
void Win32RunWindow::setDialogFlags(short value) { window_.commonDialog1().setFlags(value); }
void Win32RunWindow::setDialogInitDir(const std::u16string& dir) {
  window_.commonDialog1().setInitDir(wide(dir));
}
void Win32RunWindow::showOpenDialog() { window_.commonDialog1().show(window_.hwnd()); }
std::u16string Win32RunWindow::dialogFileName() const {
  return utf16(window_.commonDialog1().fileName());
}

void Win32RunWindow::setText(const char* control, const std::u16string& text) {
  SetWindowTextW(window_.control(control), wide(text).c_str());
}
void Win32RunWindow::setResultsText(const std::u16string& text) { setText("txtResults", text); }
void Win32RunWindow::setUploadFileDirectoryText(const std::u16string& text) {
  setText("txtUploadFileDirectory", text);
}
void Win32RunWindow::setUploadFileNameText(const std::u16string& text) {
  setText("txtUploadFileName", text);
}

float Win32RunWindow::progressMin() const { return window_.progressBar1().min(); }
float Win32RunWindow::progressMax() const { return window_.progressBar1().max(); }
void Win32RunWindow::setProgressMax(float value) { window_.progressBar1().setMax(value); }
float Win32RunWindow::progressValue() const { return window_.progressBar1().value(); }
void Win32RunWindow::setProgressValue(float value) {
  window_.progressBar1().setValue(value);
  keepPainted();
}
void Win32RunWindow::setProgressVisible(bool visible) {
  window_.progressBar1().setVisible(visible);
}

// The copy passes take no input until the run ends, but the bar must visibly advance and
// the window must not be marked as not responding: every few hundred milliseconds the bar
// repaints, waiting paint messages are handled, and the queue is looked at without taking
// anything else out of it (clicks and keys stay queued for after the run).
void Win32RunWindow::keepPainted() {
  const ULONGLONG now = GetTickCount64();
  if (now - lastRepaint_ < kRepaintMs) return;
  lastRepaint_ = now;
  UpdateWindow(window_.progressBar1().hwnd());
  MSG message;
  // Bounded, in case a window leaves its update region standing.
  for (int n = 0; n < 64 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++n)
    DispatchMessageW(&message);
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

void Win32RunWindow::showMessage(const std::u16string& text, const std::u16string& title) {
  showMessageBox(window_.hwnd(), wide(text), wide(title));
}

void Win32RunWindow::processPendingEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop to see
      return;
    }
    if (window_.handleKeyboard(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::filesystem::path Win32RunWindow::programDirectory() const { return run::programDirectory(); }

}  // namespace app::win32
