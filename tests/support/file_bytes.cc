#include "tests/support/file_bytes.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

std::string fileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace testsupport
