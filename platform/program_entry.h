// What a program of ours needs from the platform at its entry point: the command line as
// UTF-8, a console that shows UTF-8, whether stderr takes terminal control sequences (the
// batch progress line), byte-exact standard output, and one heap for all threads.
//
// On Windows the programs enter at wmain (linked with -municode), so arguments arrive as
// UTF-16 whole, whatever the ANSI code page; they are handed on as UTF-8. Paths made from
// them must go through jet::pathFromUtf8, never std::filesystem::path(std::string).
#pragma once

#include <string>
#include <vector>

namespace platform {

// argv as UTF-8, with the null pointer after the last argument as C's argv has.
class Utf8Arguments {
 public:
#ifdef _WIN32
  Utf8Arguments(int argc, wchar_t** argv);
#else
  Utf8Arguments(int argc, char** argv);
#endif
  int argc() const { return static_cast<int>(text_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> text_;
  std::vector<char*> pointers_;
};

// Console output as UTF-8 (Windows: SetConsoleOutputCP). Call once at start.
void useUtf8Console();

// True when stderr is a terminal that interprets "\r" and "\033[K": on Windows a console
// whose virtual-terminal processing could be switched on.
bool stderrTakesControlSequences();

// Standard output written byte for byte: on Windows no "\n" to "\r\n" translation.
void binaryStdout();

// One heap for every thread. glibc gives each further thread an arena of its own, and what a
// thread frees there is never reused by the others: the engine's scan threads would leave
// their scratch memory behind for the rest of a run. Call before any thread starts.
void oneHeapForAllThreads();

}  // namespace platform

// Defines the program's entry point, wmain on Windows and main elsewhere, calling
// body(argc, argv) with the arguments as UTF-8.
#ifdef _WIN32
#define TARVO_UTF8_MAIN(body)                      \
  int wmain(int argc, wchar_t** argv) {            \
    platform::Utf8Arguments args(argc, argv);      \
    return body(args.argc(), args.argv());         \
  }
#else
#define TARVO_UTF8_MAIN(body)                      \
  int main(int argc, char** argv) {                \
    platform::Utf8Arguments args(argc, argv);      \
    return body(args.argc(), args.argv());         \
  }
#endif
