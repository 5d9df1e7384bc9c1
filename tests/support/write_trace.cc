#include "tests/support/write_trace.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>

#include <stdexcept>

#if defined(__linux__) && defined(__x86_64__)
#define TARVO_TRACE_WRITES 1
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#endif

namespace testsupport {

bool canTraceWrites() {
#if defined(TARVO_TRACE_WRITES)
  return true;
#else
  return false;
#endif
}

void traceMe() {
#if defined(TARVO_TRACE_WRITES)
  ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
#endif
}

#if defined(TARVO_TRACE_WRITES)
namespace {

// Follows the child from its first stop through its system calls: `atCall` sees each call at
// its entry and at its exit, with the registers, and returns true to stop following there.
TraceEnd follow(pid_t child, const std::function<void()>& onStop,
                const std::function<bool(bool entry, user_regs_struct& regs)>& atCall) {
  TraceEnd end;
  waitpid(child, &end.status, 0);
  if (!WIFSTOPPED(end.status)) return end;
  ptrace(PTRACE_SETOPTIONS, child, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
  bool entering = true;
  long pass = 0;  // a signal the child is to get after all
  for (;;) {
    ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void*>(pass));
    pass = 0;
    waitpid(child, &end.status, 0);
    if (onStop) onStop();
    if (WIFEXITED(end.status) || WIFSIGNALED(end.status)) return end;
    if (WSTOPSIG(end.status) != (SIGTRAP | 0x80)) {
      pass = WSTOPSIG(end.status);
      continue;
    }
    // Syscall stops come in pairs, entry then exit.
    const bool entry = entering;
    entering = !entering;
    user_regs_struct regs{};
    ptrace(PTRACE_GETREGS, child, nullptr, &regs);
    if (atCall(entry, regs)) return end;
  }
}

}  // namespace
#endif

TraceEnd failSyncs(pid_t child, const std::function<void()>& onStop) {
#if !defined(TARVO_TRACE_WRITES)
  (void)child, (void)onStop;
  throw std::runtime_error("system calls cannot be traced here");
#else
  return follow(child, onStop, [&](bool entry, user_regs_struct& regs) {
    const auto call = static_cast<long>(regs.orig_rax);
    if (!entry && (call == SYS_fsync || call == SYS_fdatasync)) {
      regs.rax = static_cast<unsigned long long>(-EIO);
      ptrace(PTRACE_SETREGS, child, nullptr, &regs);
    }
    return false;
  });
#endif
}

TraceEnd killAtWrite(pid_t child, int n, const std::function<void()>& onStop,
                     const std::function<void()>& whilePaused) {
#if !defined(TARVO_TRACE_WRITES)
  (void)child, (void)n, (void)onStop, (void)whilePaused;
  throw std::runtime_error("write calls cannot be traced here");
#else
  int writes = 0;
  bool reached = false;
  TraceEnd end = follow(child, onStop, [&](bool entry, user_regs_struct& regs) {
    const auto call = static_cast<long>(regs.orig_rax);
    if (!entry || (call != SYS_pwrite64 && call != SYS_pwritev && call != SYS_pwritev2)) return false;
    reached = writes++ == n;
    return reached;
  });
  if (!reached) return end;
  if (whilePaused) {
    whilePaused();
    end.paused = true;
    ptrace(PTRACE_DETACH, child, nullptr, nullptr);
    return end;
  }
  kill(child, SIGKILL);
  waitpid(child, &end.status, 0);
  end.killed = true;
  return end;
#endif
}

}  // namespace testsupport
