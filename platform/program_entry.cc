#include "platform/program_entry.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "jet/util/unicode.h"

namespace platform {

#ifdef _WIN32
Utf8Arguments::Utf8Arguments(int argc, wchar_t** argv) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  for (int i = 0; i < argc; ++i) {
    text_.push_back(jet::toUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
#else
Utf8Arguments::Utf8Arguments(int argc, char** argv) {
  for (int i = 0; i < argc; ++i) text_.emplace_back(argv[i]);
#endif
  for (auto& t : text_) pointers_.push_back(t.data());
  pointers_.push_back(nullptr);
}

void useUtf8Console() {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
#endif
}

bool stderrTakesControlSequences() {
#ifdef _WIN32
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err == INVALID_HANDLE_VALUE || err == nullptr || !GetConsoleMode(err, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

void binaryStdout() {
#ifdef _WIN32
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void oneHeapForAllThreads() {
#ifdef __GLIBC__
  mallopt(M_ARENA_MAX, 1);
#endif
}

}  // namespace platform
