// The engine opens files by path, so each fuzz input goes through one scratch file per
// process, in memory where the system has a RAM disk.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// `name` tells the targets' files apart: "open", "write".
inline const std::filesystem::path& scratchPath(const char* name) {
  static const std::filesystem::path path = [name] {
    std::filesystem::path dir = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    return dir / ("tarvo-fuzz-" + std::string(name) + "-" + std::to_string(getpid()) + ".mdb");
  }();
  return path;
}

inline void writeScratch(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

}  // namespace fuzz
