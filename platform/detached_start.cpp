// Detached start by double fork: the first child starts a new session,
// forks the program's process and exits at once, so the caller reaps only
// that short-lived child and the program itself is adopted by the host's
// init. The program's process reports a failed exec through a
// close-on-exec pipe: end of file without a word means the exec succeeded.
// Between fork and exec only async-signal-safe calls are made, because the
// caller may have other threads (the scan thread, the registry watch).
//
// The program is executed relative to its folder's descriptor without
// following a link (execveat), so the file run is the file that was
// resolved inside the store. For a script the kernel hands the interpreter
// /dev/fd/<folder>/<name>, so that one descriptor (an O_PATH one, good for
// nothing but naming the folder) stays open in the program; every other
// descriptor of the caller's is closed on exec.
#include "platform/detached_start.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/unique_fd.h"

namespace kv {
namespace {

[[noreturn]] void ReportFailureAndExit(int statusPipe) {
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(statusPipe, &error, sizeof error);
  ::_exit(127);
}

// Ignored signals and the signal mask survive an exec; the program starts
// with neither of the caller's.
void ResetSignals() {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &byDefault, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

[[noreturn]] void ExecuteProgram(int folder, const char* name, char* const argv[], int statusPipe) {
  ResetSignals();
  const int nullInput = ::open("/dev/null", O_RDONLY);
  if (nullInput < 0 || ::dup2(nullInput, STDIN_FILENO) < 0) ReportFailureAndExit(statusPipe);
  if (nullInput != STDIN_FILENO) ::close(nullInput);
  ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  const int execFolder = ::fcntl(folder, F_DUPFD, 3);  // kept open across the exec
  if (execFolder < 0) ReportFailureAndExit(statusPipe);
  ::execveat(execFolder, name, argv, environ, AT_SYMLINK_NOFOLLOW);
  ReportFailureAndExit(statusPipe);
}

[[noreturn]] void RunFirstChild(int folder, const char* name, char* const argv[], int statusPipe) {
  ::setsid();  // no terminal's signals reach the program, nor ours
  const pid_t program = ::fork();
  if (program < 0) ReportFailureAndExit(statusPipe);
  if (program > 0) ::_exit(0);
  ExecuteProgram(folder, name, argv, statusPipe);
}

void Reap(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

// true at end of file before any byte: the exec closed the pipe.
bool ExecSucceeded(int statusPipe) {
  int error = 0;
  for (;;) {
    const ssize_t got = ::read(statusPipe, &error, sizeof error);
    if (got < 0 && errno == EINTR) continue;
    return got == 0;
  }
}

}  // namespace

bool StartDetached(int folder, const std::string& name, const std::vector<std::string>& arguments) {
  // Everything the children need is built before the fork.
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  const UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) RunFirstChild(folder, name.c_str(), argv.data(), writeEnd.Get());
  writeEnd.Reset();  // else the read below would never see end of file
  Reap(child);
  return ExecSucceeded(readEnd.Get());
}

}  // namespace kv
