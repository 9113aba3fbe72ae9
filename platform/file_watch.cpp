// FileWatch (file_watch.h): inotify on the file's folder and an
// eventfd for stopping, both waited on with one poll() in the watcher
// thread, so it sleeps until there is something to do.
#include "platform/file_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

namespace kv {
namespace {

// What can happen to the file's name: writers rename a new file onto it;
// an editor may write it in place, create it, or remove it.
constexpr std::uint32_t kFileEvents =
    IN_MOVED_TO | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR;

// Drains the pending events; true when one of them concerns `name` or
// events were lost (queue overflow), which may have hidden one.
bool NameChanged(int changes, const std::string& name) {
  alignas(inotify_event) std::array<char, 4096> buffer;
  bool changed = false;
  for (;;) {
    const ssize_t got = ::read(changes, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return changed;  // EAGAIN: drained
    for (ssize_t offset = 0; offset < got;) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + offset, sizeof event);
      const char* eventName = buffer.data() + offset + sizeof event;
      if ((event.mask & IN_Q_OVERFLOW) != 0 || (event.len > 0 && name == eventName)) {
        changed = true;
      }
      offset += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
}

// The watcher thread: returns when woken through `wake` or when the
// descriptors fail (then no further change could be reported anyway).
void WatchLoop(int changes, int wake, const std::string& name,
               const std::function<void()>& onChange) {
  std::array<pollfd, 2> waits = {{{changes, POLLIN, 0}, {wake, POLLIN, 0}}};
  for (;;) {
    if (::poll(waits.data(), waits.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (waits[1].revents != 0) return;
    if ((waits[0].revents & POLLIN) == 0) return;
    if (!NameChanged(changes, name)) continue;
    try {
      onChange();
    } catch (...) {
      // A callback that failed (memory exhausted, say) misses one change;
      // the watch goes on, and the process with it.
    }
  }
}

}  // namespace

bool FileWatch::Start(const std::filesystem::path& path, std::function<void()> onChange) {
  if (thread_.joinable() || !onChange) return false;
  const std::filesystem::path folder =
      path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  UniqueFd changes(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  UniqueFd wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  const int watch =
      changes.IsValid() ? ::inotify_add_watch(changes.Get(), folder.c_str(), kFileEvents) : -1;
  if (watch < 0 || !wake.IsValid()) return false;
  try {
    thread_ = std::thread(WatchLoop, changes.Get(), wake.Get(), path.filename().string(),
                          std::move(onChange));
  } catch (const std::system_error&) {
    return false;
  }
  changes_ = std::move(changes);
  watch_ = watch;
  wake_ = std::move(wake);
  return true;
}

FileWatch::~FileWatch() { Stop(); }

void FileWatch::Stop() {
  if (!thread_.joinable()) return;
  // Cannot fail: the watch and the descriptors are ours, and the counter
  // is far from overflowing.
  (void)::inotify_rm_watch(changes_.Get(), watch_);
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t woken = ::write(wake_.Get(), &one, sizeof one);
  thread_.join();
  watch_ = -1;
  wake_.Reset();
}

}  // namespace kv
