#include "tests/drills/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "tests/support/write_trace.h"

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

// The child's environment. LeakSanitizer cannot check a traced process at its exit and fails
// it instead, so a child followed through its writes runs with leak checks off; the same
// runs untraced keep them.
std::vector<std::string> childEnvironment(bool traced) {
  std::vector<std::string> env;
  std::string asan;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    if (traced && entry.starts_with("ASAN_OPTIONS=")) {
      asan = entry.substr(13);
      continue;
    }
    env.emplace_back(entry);
  }
  if (traced) env.push_back("ASAN_OPTIONS=" + asan + (asan.empty() ? "" : ":") + "detect_leaks=0");
  return env;
}

const passwd* nobody() {
  static const passwd* pw = getpwnam("nobody");
  return pw;
}


}  // namespace

unsigned unprivilegedUid() { return getuid() == 0 && nobody() ? nobody()->pw_uid : getuid(); }
unsigned unprivilegedGid() { return getuid() == 0 && nobody() ? nobody()->pw_gid : getgid(); }

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options) {
  // Pipes rather than files: a file-size limit must not silence the child's messages.
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const bool traced = options.killAtWrite || options.failSyncs;
  const std::vector<std::string> envStrings = childEnvironment(traced);
  std::vector<char*> env;
  for (const auto& e : envStrings) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);
  const uid_t uid = unprivilegedUid();
  const gid_t gid = unprivilegedGid();
  if (traced && !testsupport::canTraceWrites()) throw std::runtime_error("write calls cannot be traced here");

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
    if (traced) testsupport::traceMe();
    execve(args[0], args.data(), env.data());
    _exit(127);
  }

  close(outPipe[1]);
  close(errPipe[1]);
  fcntl(outPipe[0], F_SETFL, O_NONBLOCK);
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);

  ChildResult result;
  int status = 0;
  bool killed = false;
  const auto drainBoth = [&] {
    drain(outPipe[0], result.out);
    drain(errPipe[0], result.err);
  };
  if (options.killAtWrite) {
    const auto end = testsupport::killAtWrite(pid, *options.killAtWrite, drainBoth, options.whilePaused);
    status = end.status;
    killed = end.killed;
    result.paused = end.paused;
  } else if (options.failSyncs) {
    status = testsupport::failSyncs(pid, drainBoth).status;
  }
  while (!traced || result.paused) {
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
