// One run of cmdRUN_Click over a source database in a scratch directory, with the fake
// window; the program directory is a directory of its own beside the source.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run/run_window.h"
#include "tests/run/fake_window.h"
#include "tests/run/source_db.h"
#include "tests/support/paths.h"

namespace runtest {

class RunFixture {
 public:
  RunFixture() {
    std::filesystem::create_directories(program());
    window.directory = program();
  }

  std::filesystem::path program() const { return dir / "program"; }
  std::filesystem::path source(const std::string& name = "tarvo_test.mdb") const { return dir / name; }
  std::filesystem::path cert(const std::u16string& licence) const {
    return program() / std::filesystem::path(licence + u".mdb");
  }

  // Copies a generated fixture from the shared corpus.
  std::filesystem::path copyGenerated(const std::string& name, const std::filesystem::path& to) const {
    std::filesystem::copy_file(testsupport::sharedDir() / "corpus" / "generated" / name, to,
                               std::filesystem::copy_options::overwrite_existing);
    return to;
  }

  void runOver(const std::filesystem::path& file) {
    window.choice = file.u16string();
    window.boxes.clear();
    run::cmdRUN_Click(window);
  }

  std::vector<std::u16string> titles() const {
    std::vector<std::u16string> t;
    for (const auto& b : window.boxes) t.push_back(b.title);
    return t;
  }
  std::string boxesText() const {
    std::string s;
    for (const auto& b : window.boxes) {
      s += std::string(b.title.begin(), b.title.end()) + ": ";
      for (char16_t c : b.text) s += c < 0x80 ? static_cast<char>(c) : '?';
      s += "\n";
    }
    return s;
  }

  testsupport::TempDir dir;
  FakeWindow window;
};

}  // namespace runtest
