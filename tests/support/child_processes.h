// Real child processes for tests that need several processes at once:
// each runs one function in a forked copy of the test binary. All children
// start together, held at a gate (a pipe the parent closes once every child
// exists), so that their work overlaps; the parent may then do its own part
// while they run. A child never returns into
// GoogleTest: it ends with _exit and its function's result as exit status,
// running no other test, no destructor of the parent's objects and no leak
// check. RunKilledAfter runs one child and kills it at a chosen moment.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace kv::testing {

// The wait status of child `pid` once it has ended; -1 when it cannot be
// waited for.
inline int WaitStatus(pid_t pid) {
  int status = 0;
  pid_t waited = -1;
  while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  return waited == pid ? status : -1;
}

// Each child's exit status, in the order of `bodies`; -1 for a child that
// could not be started or did not exit normally. `whileRunning` runs in the
// parent once the gate is open.
inline std::vector<int> RunInChildProcesses(
    const std::vector<std::function<int()>>& bodies,
    const std::function<void()>& whileRunning = [] {}) {
  int gate[2];
  if (::pipe(gate) != 0) return std::vector<int>(bodies.size(), -1);
  std::vector<pid_t> children;
  for (const std::function<int()>& body : bodies) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      char ignored;
      while (::read(gate[0], &ignored, 1) < 0 && errno == EINTR) {
      }
      int status = 125;
      try {
        status = body();
      } catch (...) {
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);  // every child's read ends now
  whileRunning();
  std::vector<int> statuses;
  for (const pid_t pid : children) {
    const int status = pid > 0 ? WaitStatus(pid) : -1;
    statuses.push_back(status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return statuses;
}

// Runs `body` in a child killed with SIGKILL after `killAfter` (zero: left
// to end); the child's wait status, or -1 when it could not be started.
inline int RunKilledAfter(const std::function<void()>& body, std::chrono::microseconds killAfter) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  if (pid < 0) return -1;
  if (killAfter.count() > 0) {
    std::this_thread::sleep_for(killAfter);
    ::kill(pid, SIGKILL);
  }
  return WaitStatus(pid);
}

}  // namespace kv::testing
