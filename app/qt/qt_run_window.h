// The window operations the run uses, over frmMain's Qt controls.
#pragma once

#include "run/run_window.h"

namespace app {

class FrmMain;

class QtRunWindow : public run::RunWindow {
 public:
  explicit QtRunWindow(FrmMain& window) : window_(window) {}

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

 private:
  FrmMain& window_;
};

}  // namespace app
