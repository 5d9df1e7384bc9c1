// What publishing a new file does the same on every platform: the scratch names, the sweep of
// abandoned ones, and the order of the steps.
#include "jet/port/new_file.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "jet/util/error.h"

namespace jet {
namespace {

constexpr std::string_view kMark = ".creating-";
// An empty scratch file this young may belong to a process that has not yet locked it.
constexpr auto kCreationGrace = std::chrono::minutes(1);

std::string tag(unsigned long pid) {
  // The process id keeps live processes apart; the random part keeps a later process with the
  // same id (or another machine on a shared folder) off the name of an earlier one.
  std::random_device random;
  const auto clock = static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
  char text[32];
  std::snprintf(text, sizeof text, "%lx-%08lx", pid, (static_cast<unsigned long>(random()) ^ clock) & 0xFFFFFFFFul);
  return text;
}

}  // namespace

NewFile::NewFile(std::filesystem::path target) : target_(std::move(target)) {
  if (!target_.has_filename()) return;
  scratch_ = target_;
  scratch_ += std::string(kMark) + tag(processId());
}

NewFile::~NewFile() { discard(); }

bool NewFile::isScratchName(const std::filesystem::path& name, const std::filesystem::path& targetName) {
  using Text = std::filesystem::path::string_type;
  const Text& n = name.native();
  const Text& t = targetName.native();
  const Text mark = std::filesystem::path(std::string(kMark)).native();
  if (t.empty() || n.size() <= t.size() + mark.size() || n.compare(0, t.size(), t) != 0 ||
      n.compare(t.size(), mark.size(), mark) != 0) {
    return false;
  }
  // Earlier versions named theirs TARGET.creating-TAG.creating.
  Text rest = n.substr(t.size() + mark.size());
  const Text old = std::filesystem::path(".creating").native();
  if (rest.size() > old.size() && rest.compare(rest.size() - old.size(), old.size(), old) == 0) {
    rest.resize(rest.size() - old.size());
  }
  for (auto c : rest) {
    if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f') && c != '-') return false;
  }
  return true;
}

void NewFile::removeAbandoned(const std::filesystem::path& target) noexcept try {
  const std::filesystem::path folder = target.parent_path();
  std::error_code ec;
  std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::filesystem::path& p = it->path();
    if (!isScratchName(p.filename(), target.filename()) || !it->is_regular_file(ec)) continue;
    const auto size = std::filesystem::file_size(p, ec);
    const auto written = std::filesystem::last_write_time(p, ec);
    if (ec) continue;
    if (size == 0 && std::filesystem::file_time_type::clock::now() - written < kCreationGrace) continue;
    removeIfUnheld(p);
  }
} catch (...) {
  // A scratch file that stays is removed by a later run.
}

File& NewFile::create() {
  discard();
  published_ = false;
  if (scratch_.empty()) throw FileError(errc::kUnspecified, "Cannot create '" + pathText(target_) + "': no file name is given.");
  removeAbandoned(target_);
  file_ = File::open(scratch_, File::Mode::kCreate);
  try {
    hold();
  } catch (...) {
    discard();
    throw;
  }
  return file_;
}

bool NewFile::publish() {
  if (!created()) throw FileError(errc::kUnspecified, "Cannot create '" + pathText(target_) + "': it was not made.");
  bool renamed = false;
  try {
    syncEverything();
    renamed = renameIfAbsent(scratch_, target_);
  } catch (...) {
    discard();
    throw;
  }
  if (!renamed) {
    discard();
    return false;
  }
  published_ = true;
  file_.close();
  syncFolder();
  return true;
}

void NewFile::discard() noexcept {
  if (!file_.isOpen()) return;
  file_.close();
  std::error_code ec;
  if (!published_) std::filesystem::remove(scratch_, ec);
}

}  // namespace jet
