// A recording fake of the window: it keeps every call in order, answers the dialog with a
// chosen file or a cancel, and can make any named operation fail once or always.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "run/run_window.h"

namespace runtest {

struct Box {
  std::u16string text;
  std::u16string title;
};

class FakeWindow : public run::RunWindow {
 public:
  // What the dialog answers: a file name, or a cancel when empty.
  std::optional<std::u16string> choice;
  std::filesystem::path directory = "/programs/tarvo";

  // Observed state.
  std::vector<std::string> calls;
  std::vector<Box> boxes;
  std::vector<float> progressValues;  // every value written, in order
  bool cancelError = false;
  std::u16string title, filter, initDir, results = u"(untouched)", uploadDir = u"(untouched)",
                                          uploadName = u"(untouched)";
  short flags = 0;
  float min = 0, max = 100, value = 0;
  bool visible = false;
  int visibleChanges = 0;

  // Makes the named operation throw WindowError(number, description) on every call.
  void failOn(const std::string& op, int number, std::string description) {
    failures[op] = {number, std::move(description)};
  }

  void setDialogCancelError(bool on) override { enter("setDialogCancelError"), cancelError = on; }
  void setDialogTitle(const std::u16string& t) override { enter("setDialogTitle"), title = t; }
  void setDialogFilter(const std::u16string& f) override { enter("setDialogFilter"), filter = f; }
  void setDialogFlags(short v) override { enter("setDialogFlags"), flags = v; }
  void setDialogInitDir(const std::u16string& d) override { enter("setDialogInitDir"), initDir = d; }
  void showOpenDialog() override {
    enter("showOpenDialog");
    if (!choice) {
      if (cancelError) throw run::WindowError(run::kCancelError, "Cancel was selected.");
      chosen.clear();
      return;
    }
    chosen = *choice;
  }
  std::u16string dialogFileName() const override {
    const_cast<FakeWindow*>(this)->enter("dialogFileName");
    return chosen;
  }
  void setResultsText(const std::u16string& t) override { enter("setResultsText"), results = t; }
  void setUploadFileDirectoryText(const std::u16string& t) override {
    enter("setUploadFileDirectoryText"), uploadDir = t;
  }
  void setUploadFileNameText(const std::u16string& t) override {
    enter("setUploadFileNameText"), uploadName = t;
  }
  float progressMin() const override { return const_cast<FakeWindow*>(this)->enter("progressMin"), min; }
  float progressMax() const override { return const_cast<FakeWindow*>(this)->enter("progressMax"), max; }
  void setProgressMax(float v) override { enter("setProgressMax"), max = v; }
  float progressValue() const override {
    return const_cast<FakeWindow*>(this)->enter("progressValue"), value;
  }
  void setProgressValue(float v) override {
    enter("setProgressValue");
    value = v;
    progressValues.push_back(v);
  }
  void setProgressVisible(bool v) override {
    enter("setProgressVisible");
    if (v != visible) ++visibleChanges;
    visible = v;
  }
  void showMessage(const std::u16string& text, const std::u16string& t) override {
    calls.push_back("showMessage");
    boxes.push_back({text, t});
  }
  void processPendingEvents() override { enter("processPendingEvents"); }
  std::filesystem::path programDirectory() const override {
    const_cast<FakeWindow*>(this)->enter("programDirectory");
    return directory;
  }

  int count(const std::string& op) const {
    int n = 0;
    for (const auto& c : calls) n += c == op;
    return n;
  }

 private:
  void enter(const std::string& op) {
    calls.push_back(op);
    auto it = failures.find(op);
    if (it != failures.end()) throw run::WindowError(it->second.first, it->second.second);
  }

  std::map<std::string, std::pair<int, std::string>> failures;
  std::u16string chosen;
};

}  // namespace runtest
