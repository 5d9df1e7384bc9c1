// Runs a program as a child process the way a drill needs it: its output captured,
// a deadline after which it is killed as hung, and optionally a file-size limit (a full
// disk), another user (so file modes bite even when the tests run as root) or a deliberate
// kill after a delay or as it enters a given write call, or syncs that fail. POSIX only, like the drills
// themselves; the write count needs Linux on x86-64 (testsupport::canTraceWrites()).
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace drills {

struct ChildOptions {
  std::chrono::milliseconds deadline{120000};          // killed and reported as hung after this
  std::optional<std::chrono::microseconds> killAfter;  // SIGKILL on purpose after this delay
  std::optional<unsigned long long> fileSizeLimit;     // RLIMIT_FSIZE; writes beyond fail with EFBIG
  bool asUnprivilegedUser = false;                     // drop to "nobody" when started as root
  // SIGKILL as the child enters its write call number N (0-based; pwrite and pwritev, the
  // calls a database file is written with), so exactly N of them took effect.
  std::optional<int> killAtWrite;
  // With killAtWrite: hold the child there instead, run this, and let it go on.
  std::function<void()> whilePaused;
  // Every fsync and fdatasync of the child fails with EIO (not with killAtWrite).
  bool failSyncs = false;
};

struct ChildResult {
  bool exited = false;  // ended by exit(), not by a signal
  int exitCode = -1;
  int signal = 0;       // the signal that ended it, when !exited
  bool hung = false;    // the deadline passed
  bool paused = false;  // held at killAtWrite; false when it ended before that write
  std::chrono::microseconds elapsed{0};
  std::string out, err;
};

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// The uid and gid the child runs as under asUnprivilegedUser (the current ones when not root).
unsigned unprivilegedUid();
unsigned unprivilegedGid();

}  // namespace drills
