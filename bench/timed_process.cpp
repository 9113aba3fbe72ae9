// RunTimed over posix_spawn. The output goes to an unnamed temporary file,
// read once the program has ended, so no reading competes with it for a
// processor while it runs.
#include "bench/timed_process.h"

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

namespace kv::bench {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The benchmark's environment with `added` in place of any setting of the
// same names.
std::vector<std::string> Environment(const std::vector<std::string>& added) {
  std::vector<std::string> settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string setting = *entry;
    const std::string name = setting.substr(0, setting.find('=') + 1);
    bool replaced = false;
    for (const std::string& add : added) replaced = replaced || add.starts_with(name);
    if (!replaced) settings.push_back(setting);
  }
  settings.insert(settings.end(), added.begin(), added.end());
  return settings;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

TimedRun RunTimed(const std::string& binary, const std::vector<std::string>& args,
                  const std::vector<std::string>& environment, std::optional<int> core) {
  TimedRun run;
  const std::unique_ptr<std::FILE, FileCloser> out(std::tmpfile());
  if (out == nullptr) return run;
  std::vector<std::string> argv = {binary};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> envp = Environment(environment);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envpPointers = Pointers(envp);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, ::fileno(out.get()), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  // The child takes the parent's processors at its start.
  cpu_set_t own;
  CPU_ZERO(&own);
  const bool pinned = core && ::sched_getaffinity(0, sizeof own, &own) == 0;
  if (pinned) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(*core, &one);
    (void)::sched_setaffinity(0, sizeof one, &one);
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, binary.c_str(), &actions, nullptr, argvPointers.data(),
                                    envpPointers.data());
  if (pinned) (void)::sched_setaffinity(0, sizeof own, &own);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  pid_t waited = -1;
  while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (waited == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);

  std::rewind(out.get());
  std::array<char, 1 << 16> chunk{};
  for (std::size_t got = 0; (got = std::fread(chunk.data(), 1, chunk.size(), out.get())) > 0;) {
    run.out.append(chunk.data(), got);
  }
  return run;
}

}  // namespace kv::bench
