// The window of the batch front end: the run without a screen. The file dialog answers
// with the path given on the command line, each message box becomes a line "TITLE: TEXT"
// on the error stream, and the progress bar is drawn there, with rows per second, when
// that stream is a terminal.
#pragma once

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>

#include "run/run_window.h"

namespace run {

class BatchWindow : public RunWindow {
 public:
  BatchWindow(std::filesystem::path source, std::filesystem::path programDirectory,
              std::ostream& err, bool drawProgress);

  void setDialogCancelError(bool) override {}
  void setDialogTitle(const std::u16string&) override {}
  void setDialogFilter(const std::u16string&) override {}
  void setDialogFlags(short) override {}
  void setDialogInitDir(const std::u16string&) override {}
  void showOpenDialog() override {}
  std::u16string dialogFileName() const override { return source_.u16string(); }

  void setResultsText(const std::u16string& text) override { results_ = text; }
  void setUploadFileDirectoryText(const std::u16string& text) override { fileName_ = text; }
  void setUploadFileNameText(const std::u16string& text) override { directory_ = text; }

  float progressMin() const override { return 0; }
  float progressMax() const override { return max_; }
  void setProgressMax(float value) override { max_ = value; }
  float progressValue() const override { return value_; }
  void setProgressValue(float value) override;
  void setProgressVisible(bool visible) override;

  void showMessage(const std::u16string& text, const std::u16string& title) override;
  void processPendingEvents() override {}
  std::filesystem::path programDirectory() const override { return programDirectory_; }

  int messagesShown() const { return messages_; }
  // The three result boxes, one line each, labelled as on the window.
  void printResults(std::ostream& out) const;

 private:
  void draw(bool force);
  void clearLine();

  std::filesystem::path source_;
  std::filesystem::path programDirectory_;
  std::ostream& err_;
  bool drawProgress_;

  std::u16string results_, fileName_, directory_;
  float max_ = 100;  // a new bar's range is 0 to 100
  float value_ = 0;
  bool visible_ = false;
  int messages_ = 0;

  bool lineShown_ = false;
  float startValue_ = 0;
  std::chrono::steady_clock::time_point start_{}, lastDraw_{};
};

}  // namespace run
