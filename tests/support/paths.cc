#include "tests/support/paths.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace testsupport {

std::filesystem::path sharedDir() { return std::filesystem::path(TARVO_SHARED_DIR); }

std::filesystem::path corpusFile(const std::string& relative) {
  return sharedDir() / "corpus" / "files" / relative;
}

std::filesystem::path buildDir() { return std::filesystem::path(TARVO_BUILD_DIR); }

std::filesystem::path sourceDir() { return std::filesystem::path(TARVO_SOURCE_DIR); }

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("tarvo-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace testsupport
