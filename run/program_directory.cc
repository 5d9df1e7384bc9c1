#include "run/program_directory.h"

#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace run {

std::filesystem::path programDirectory() {
#ifdef _WIN32
  // Long paths need more than MAX_PATH; grow until the name fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  return std::filesystem::path(buffer).parent_path();
#else
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return self.parent_path();
#endif
}

}  // namespace run
