#include "tests/drills/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <thread>

#if defined(__linux__) && defined(__x86_64__)
#define TARVO_TRACE_WRITES 1
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#endif

namespace drills {

namespace {

// Moves what is waiting in a non-blocking pipe into `into`; false once the writer closed it.
bool drain(int fd, std::string& into) {
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<size_t>(n));
    } else {
      return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
  }
}

const passwd* nobody() {
  static const passwd* pw = getpwnam("nobody");
  return pw;
}

#if defined(TARVO_TRACE_WRITES)
// Follows a child that asked to be traced, from the stop at its exec, through every system
// call, and kills it as it enters write call number `n`. Returns its last wait status.
int traceToWrite(pid_t pid, int n, const std::function<void()>& drainPipes, bool& killed) {
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFSTOPPED(status)) return status;
  ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
  int writes = 0;
  bool entering = true;
  long pass = 0;  // a signal the child is to get after all
  for (;;) {
    ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(pass));
    pass = 0;
    waitpid(pid, &status, 0);
    drainPipes();
    if (WIFEXITED(status) || WIFSIGNALED(status)) return status;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      pass = WSTOPSIG(status);
      continue;
    }
    const bool entry = entering;
    entering = !entering;
    if (!entry) continue;
    user_regs_struct regs{};
    ptrace(PTRACE_GETREGS, pid, nullptr, &regs);
    const auto call = static_cast<long>(regs.orig_rax);
    if (call != SYS_pwrite64 && call != SYS_pwritev && call != SYS_pwritev2) continue;
    if (writes++ == n) {
      kill(pid, SIGKILL);
      killed = true;
      waitpid(pid, &status, 0);
      return status;
    }
  }
}
#endif

}  // namespace

bool canTraceWrites() {
#if defined(TARVO_TRACE_WRITES)
  return true;
#else
  return false;
#endif
}

unsigned unprivilegedUid() { return getuid() == 0 && nobody() ? nobody()->pw_uid : getuid(); }
unsigned unprivilegedGid() { return getuid() == 0 && nobody() ? nobody()->pw_gid : getgid(); }

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options) {
  // Pipes rather than files: a file-size limit must not silence the child's messages.
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const uid_t uid = unprivilegedUid();
  const gid_t gid = unprivilegedGid();
  if (options.killAtWrite && !canTraceWrites()) throw std::runtime_error("write calls cannot be traced here");

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    if (options.fileSizeLimit) {
      // A real full disk fails the write (ENOSPC); the limit does so too (EFBIG) once the
      // default "terminate on SIGXFSZ" is out of the way.
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.asUnprivilegedUser && getuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(125);
    }
#if defined(TARVO_TRACE_WRITES)
    if (options.killAtWrite) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
#endif
    execv(args[0], args.data());
    _exit(127);
  }

  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  ChildResult result;
  int status = 0;
  bool killed = false;
#if defined(TARVO_TRACE_WRITES)
  if (options.killAtWrite) {
    status = traceToWrite(pid, *options.killAtWrite, [&] {
      drain(outPipe[0], result.out);
      drain(errPipe[0], result.err);
    }, killed);
  }
#endif
  while (!options.killAtWrite) {
    drain(outPipe[0], result.out);
    drain(errPipe[0], result.err);
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    const auto now = std::chrono::steady_clock::now();
    if (!killed && options.killAfter && now - start >= *options.killAfter) {
      kill(pid, SIGKILL);
      killed = true;
    }
    if (!killed && now - start >= options.deadline) {
      result.hung = true;
      kill(pid, SIGKILL);
      killed = true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(options.killAfter ? 200 : 2000));
  }
  result.elapsed =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  result.exited = WIFEXITED(status);
  if (result.exited) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  // The child is gone; what it wrote is all in the pipes (grandchildren would keep them open,
  // so read what is there without waiting for the end).
  drain(outPipe[0], result.out);
  drain(errPipe[0], result.err);
  close(outPipe[0]);
  close(errPipe[0]);
  return result;
}

}  // namespace drills
