#include "run/batch_window.h"

#include <algorithm>
#include <cstdio>

#include "data/text.h"
#include "run/text.h"

namespace run {

namespace {

constexpr auto kRedraw = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

BatchWindow::BatchWindow(std::filesystem::path source, std::filesystem::path programDirectory,
                         std::ostream& err, bool drawProgress)
    : source_(std::move(source)),
      programDirectory_(std::move(programDirectory)),
      err_(err),
      drawProgress_(drawProgress) {}

void BatchWindow::setProgressValue(float value) {
  value_ = value;
  if (visible_) draw(value_ >= max_);
}

void BatchWindow::setProgressVisible(bool visible) {
  if (visible && !visible_) {
    start_ = std::chrono::steady_clock::now();
    startValue_ = value_;
  }
  visible_ = visible;
  if (visible_) {
    draw(true);
  } else if (lineShown_) {
    draw(true);
    err_ << '\n';
    lineShown_ = false;
  }
}

void BatchWindow::showMessage(const std::u16string& text, const std::u16string& title) {
  ++messages_;
  clearLine();
  err_ << data::toUtf8(title) << ": " << data::toUtf8(text) << '\n';
  err_.flush();
  if (visible_) draw(true);
}

void BatchWindow::clearLine() {
  if (!lineShown_) return;
  err_ << "\r\033[K";
  lineShown_ = false;
}

void BatchWindow::draw(bool force) {
  if (!drawProgress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < kRedraw) return;
  lastDraw_ = now;
  const double fraction = max_ > 0 ? std::min(1.0, std::max(0.0, double(value_) / max_)) : 1.0;
  const int filled = static_cast<int>(fraction * kBarWidth);
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? (value_ - startValue_) / seconds : 0;
  char line[160];
  std::snprintf(line, sizeof line, "\r[%.*s%*s] %3d%%  %.0f/%.0f rows  %.0f rows/s\033[K",
                filled, "##############################", kBarWidth - filled, "",
                static_cast<int>(fraction * 100), double(value_), double(max_), rate);
  err_ << line;
  err_.flush();
  lineShown_ = true;
}

void BatchWindow::printResults(std::ostream& out) const {
  out << "File Located in: " << data::toUtf8(directory_) << '\n'
      << "File Generated: " << data::toUtf8(fileName_) << '\n'
      << "Records Found: " << data::toUtf8(results_) << '\n';
}

}  // namespace run
