// The window operations the extraction run uses, and nothing more. Three front ends implement
// this interface: the Qt window on Linux, the Win32 window on Windows and the batch front
// end's window without a screen; the run's tests drive the run with a recording fake.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <exception>

namespace run {

// Raised by showOpenDialog() when the user cancels and cancelError is set.
inline constexpr int kCancelError = 32755;

class RunWindow {
 public:
  virtual ~RunWindow() = default;

  // CommonDialog1. Strings are UTF-16, as the window stores them.
  virtual void setDialogCancelError(bool on) = 0;
  virtual void setDialogTitle(const std::u16string& title) = 0;
  // "Description|pattern[|Description|pattern...]"
  virtual void setDialogFilter(const std::u16string& filter) = 0;
  // The further 16-bit dialog property (dispatch id 23) the run sets to 1 before showing it.
  virtual void setDialogFlags(short value) = 0;
  virtual void setDialogInitDir(const std::u16string& dir) = 0;
  // Shows the dialog modally. Throws a run::WindowError with number kCancelError when the
  // user cancels and the cancel switch is on.
  virtual void showOpenDialog() = 0;
  virtual std::u16string dialogFileName() const = 0;

  // The three result boxes: writing replaces the whole text.
  virtual void setResultsText(const std::u16string& text) = 0;                // txtResults
  virtual void setUploadFileDirectoryText(const std::u16string& text) = 0;    // txtUploadFileDirectory
  virtual void setUploadFileNameText(const std::u16string& text) = 0;         // txtUploadFileName

  // ProgressBar1, single-precision as the control stores them.
  virtual float progressMin() const = 0;
  virtual float progressMax() const = 0;
  virtual void setProgressMax(float value) = 0;
  virtual float progressValue() const = 0;
  virtual void setProgressValue(float value) = 0;
  virtual void setProgressVisible(bool visible) = 0;

  // A modal box with one OK button and no icon; returns when the user closes it.
  virtual void showMessage(const std::u16string& text, const std::u16string& title) = 0;

  // Lets the window handle every event that is waiting, once.
  virtual void processPendingEvents() = 0;

  // The directory that holds the program's own file.
  virtual std::filesystem::path programDirectory() const = 0;
};

// A failure of a window operation, carrying a number and a description like a data error.
class WindowError : public std::exception {
 public:
  WindowError(int number, std::string description)
      : number_(number), description_(std::move(description)) {}
  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

// START's handler: the whole extraction run, from the file dialog to the last copied row.
void cmdRUN_Click(RunWindow& window);

}  // namespace run
