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

namespace kv {
namespace {

// The ids of every process the host lists, ascending.
Result<std::vector<int>> ListProcessIds() {
  if (ConsumeFault(FaultPoint::kProcessList)) return HostFailure();
  const UniqueFd proc(::open("/proc", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!proc.IsValid()) return HostFailure();
  Result<FolderListing> listing = FolderListing::Open(proc.Get());
  if (!listing.Ok()) return listing.Error();
  std::vector<int> ids;
  while (const std::optional<ListedEntry> listed = listing.value.Next()) {
    const std::string& name = listed->hostName;
    int id = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, id);
    if (error == std::errc() && stop == end && id > 0) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
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

Result<std::vector<ProcessEntry>> TakeProcessSnapshot(const Store& store) {
  const Result<std::string> rootPath = StoreRootHostPath(store);
  if (!rootPath.Ok()) return rootPath.Error();
  const Result<std::vector<int>> ids = ListProcessIds();
  if (!ids.Ok()) return ids.Error();
  std::vector<ProcessEntry> processes;
  for (const int id : ids.value) {
    // A process that ends meanwhile is simply not found.
    const Result<std::u16string> devicePath = FindProcessExecutable(store, rootPath.value, id);
    if (!devicePath.Ok()) continue;
    const std::u16string& path = devicePath.value;
    processes.push_back({id, path.substr(path.rfind(u'\\') + 1)});
  }
  return processes;
}

struct ProcessHandle::Host {
  UniqueFd pidfd;
};

ProcessHandle::ProcessHandle() = default;
ProcessHandle::ProcessHandle(ProcessHandle&&) noexcept = default;
ProcessHandle& ProcessHandle::operator=(ProcessHandle&&) noexcept = default;
ProcessHandle::~ProcessHandle() = default;

Result<ProcessHandle> ProcessHandle::Open(const Store& store, int id) {
  if (id <= 0) return Failure{FileStatus::kFailed, ESRCH};
  UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, id, 0)));  // close-on-exec
  if (!pidfd.IsValid()) return HostFailure();
  const Result<std::string> rootPath = StoreRootHostPath(store);
  if (!rootPath.Ok()) return rootPath.Error();
  Result<std::u16string> devicePath = FindProcessExecutable(store, rootPath.value, id);
  if (!devicePath.Ok()) return devicePath.Error();
  if (devicePath.value.size() > limits::kMaxExecutablePathUnits) {
    return Failure{FileStatus::kFailed, ENAMETOOLONG};
  }
  // Asked last: if the pinned process still lives now, the id was still
  // its own when its executable was read above.
  if (!SendSignal(pidfd.Get(), 0)) return HostFailure();
  ProcessHandle handle;
  handle.host_ = std::make_unique<Host>(Host{std::move(pidfd)});
  handle.executablePath_ = std::move(devicePath.value);
  return handle;
}

bool ProcessHandle::Terminate() {
  if (!host_) return false;
  // A process that has ended meanwhile is ended: that is no refusal.
  if (!SendSignal(host_->pidfd.Get(), SIGKILL)) return errno == ESRCH;
  WaitForExit(host_->pidfd.Get());
  return true;
}

}  // namespace kv
