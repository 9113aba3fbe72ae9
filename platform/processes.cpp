// The handset's processes: the process list read from /proc, and processes
// pinned by a pidfd so that a process which ends, and whose id the host
// hands to another, is never the one signalled. The pidfd calls go through
// syscall(): glibc has had wrappers only since 2.36.
#include "platform/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>

#include "platform/fault_injection.h"
#include "platform/folder_listing.h"
#include "platform/limits.h"
#include "platform/process_executable.h"

namespace kv::platform {
namespace {

// The ids of every process the host lists, ascending; false when /proc
// cannot be listed.
bool ListProcessIds(std::vector<int>& ids) {
  if (ConsumeFault(FaultPoint::kProcessList)) return false;
  const UniqueFd proc(::open("/proc", O_PATH | O_DIRECTORY | O_CLOEXEC));
  FolderListing listing;
  if (!proc.IsValid() || !FolderListing::Open(proc.Get(), listing)) return false;
  std::string name;
  EntryKind kind;
  while (listing.Next(name, kind)) {
    int id = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, id);
    if (error == std::errc() && stop == end && id > 0) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  return true;
}

// Signal 0 only asks whether the process lives and may be signalled.
bool SendSignal(int pidfd, int signal) {
  if (ConsumeFault(FaultPoint::kSignal)) {
    errno = EPERM;
    return false;
  }
  return ::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
}

// A pidfd polls readable once its process has exited.
void WaitForExit(int pidfd) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(limits::kProcessExitWaitMilliseconds);
  pollfd exited{pidfd, POLLIN, 0};
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || ::poll(&exited, 1, static_cast<int>(left)) >= 0 || errno != EINTR) return;
  }
}

}  // namespace

bool TakeProcessSnapshot(const Store& store, std::vector<ProcessEntry>& processes) {
  processes.clear();
  std::string rootPath;
  std::vector<int> ids;
  if (!StoreRootHostPath(store, rootPath) || !ListProcessIds(ids)) return false;
  std::u16string devicePath;
  for (const int id : ids) {
    // A process that ends meanwhile is simply not found.
    if (!FindProcessExecutable(store, rootPath, id, devicePath)) continue;
    processes.push_back({id, devicePath.substr(devicePath.rfind(u'\\') + 1)});
  }
  return true;
}

struct ProcessHandle::Host {
  UniqueFd pidfd;
};

ProcessHandle::ProcessHandle() = default;
ProcessHandle::ProcessHandle(ProcessHandle&&) noexcept = default;
ProcessHandle& ProcessHandle::operator=(ProcessHandle&&) noexcept = default;
ProcessHandle::~ProcessHandle() = default;

bool ProcessHandle::Open(const Store& store, int id, ProcessHandle& handle) {
  handle = ProcessHandle();
  if (id <= 0) return false;
  UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, id, 0)));  // close-on-exec
  std::string rootPath;
  std::u16string devicePath;
  if (!pidfd.IsValid() || !StoreRootHostPath(store, rootPath) ||
      !FindProcessExecutable(store, rootPath, id, devicePath) ||
      devicePath.size() > limits::kMaxExecutablePathUnits) {
    return false;
  }
  // Asked last: if the pinned process still lives now, the id was still
  // its own when its executable was read above.
  if (!SendSignal(pidfd.Get(), 0)) return false;
  handle.host_ = std::make_unique<Host>(Host{std::move(pidfd)});
  handle.executablePath_ = std::move(devicePath);
  return true;
}

bool ProcessHandle::Terminate() {
  if (!host_) return false;
  // A process that has ended meanwhile is ended: that is no refusal.
  if (!SendSignal(host_->pidfd.Get(), SIGKILL)) return errno == ESRCH;
  WaitForExit(host_->pidfd.Get());
  return true;
}

}  // namespace kv::platform
