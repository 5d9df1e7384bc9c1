// Where tests find the corpus, the built tools and a scratch directory.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// ../shared next to the repository: corpus/ and docs/, read-only.
std::filesystem::path sharedDir();
// ../shared/corpus/files/<relative>
std::filesystem::path corpusFile(const std::string& relative);
// The build directory, where jetdump, make-tarvo-db and the other tools are.
std::filesystem::path buildDir();
std::filesystem::path sourceDir();

// A fresh, empty directory removed when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
