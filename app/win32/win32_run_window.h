// The window operations the run uses, over frmMain's Win32 controls.
#pragma once

#include <windows.h>

#include "run/run_window.h"

namespace app::win32 {

class FrmMain;

class Win32RunWindow : public run::RunWindow {
 public:
  explicit Win32RunWindow(FrmMain& window) : window_(window) {}

  void setDialogCancelError(bool on) override;
  void setDialogTitle(const std::u16string& title) override;
  void setDialogFilter(const std::u16string& filter) override;
  void setDialogFlags(short value) override;
  void setDialogInitDir(const std::u16string& dir) override;
  void showOpenDialog() override;
  std::u16string dialogFileName() const override;

  void setResultsText(const std::u16string& text) override;
  void setUploadFileDirectoryText(const std::u16string& text) override;
  void setUploadFileNameText(const std::u16string& text) override;

  float progressMin() const override;
  float progressMax() const override;
  void setProgressMax(float value) override;
  float progressValue() const override;
  void setProgressValue(float value) override;
  void setProgressVisible(bool visible) override;

  void showMessage(const std::u16string& text, const std::u16string& title) override;
  void processPendingEvents() override;
  std::filesystem::path programDirectory() const override;

  // How often the copy passes let the window repaint and show it is alive.
  static constexpr ULONGLONG kRepaintMs = 100;

 private:
  void setText(const char* control, const std::u16string& text);
  void keepPainted();

  FrmMain& window_;
  ULONGLONG lastRepaint_ = 0;
};

}  // namespace app::win32
