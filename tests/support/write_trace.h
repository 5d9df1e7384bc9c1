// Killing a child process between two of its page writes, or failing its syncs: the child calls traceMe() and then
// stops itself (raise(SIGSTOP)) or execs a program; the parent follows it with killAtWrite(),
// so that exactly n of its pwrite/pwritev calls take effect before it dies. Linux on x86-64
// only (canTraceWrites()).
#pragma once

#include <sys/types.h>

#include <functional>

namespace testsupport {

bool canTraceWrites();

// In the child: asks to be traced by its parent.
void traceMe();

struct TraceEnd {
  int status = 0;       // the child's last wait status
  bool killed = false;  // it was killed at the write; false when it ended first
  bool paused = false;  // it was held before the write and let go
};

// Follows `child`, stopped at its exec or its SIGSTOP after traceMe(), through its system
// calls and kills it as it enters write call number `n` (0-based). `onStop` runs at every stop,
// e.g. to drain the child's output pipes. With `whilePaused`, the child is not killed there:
// `whilePaused` runs while it is held before that write, and then it goes on untraced
// (killed stays false; the caller waits for its end).
TraceEnd killAtWrite(pid_t child, int n, const std::function<void()>& onStop = {},
                     const std::function<void()>& whilePaused = {});

// Follows `child` in the same way to its end and makes every fsync and fdatasync it calls fail
// with EIO, as a disk that cannot write does.
TraceEnd failSyncs(pid_t child, const std::function<void()>& onStop = {});

}  // namespace testsupport
