#include "tests/drills/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/paths.h"

namespace drills {

namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

const passwd* nobody() {
  static const passwd* pw = getpwnam("nobody");
  return pw;
}

}  // namespace

unsigned unprivilegedUid() { return getuid() == 0 && nobody() ? nobody()->pw_uid : getuid(); }
unsigned unprivilegedGid() { return getuid() == 0 && nobody() ? nobody()->pw_gid : getgid(); }

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options) {
  testsupport::TempDir capture;
  const auto outPath = capture / "out", errPath = capture / "err";
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const uid_t uid = unprivilegedUid();
  const gid_t gid = unprivilegedGid();

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, 1);
    dup2(err, 2);
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
    execv(args[0], args.data());
    _exit(127);
  }

  ChildResult result;
  int status = 0;
  bool killed = false;
  for (;;) {
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
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  return result;
}

}  // namespace drills
