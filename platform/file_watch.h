// FileWatch: tells a callback that a file has changed (the registry's hive,
// for the handset's registry notification).
//
// Entry point: FileWatch (Start, Stop; the destructor stops).
// Writers replace the file by rename, so a watch on the file's inode would
// go deaf after the first write: the watch is an inotify watch on the
// file's folder, filtered to the file's name (renamed into place, created,
// written and closed, deleted or renamed away). The callback runs on a
// watcher thread of its own and is given nothing but the fact of a change;
// one callback may stand for several changes that arrived together, and it
// is the callee's part to read the file again. Stopping wakes the thread
// through an eventfd, so the destructor returns as soon as a running
// callback has finished, with no polling. Stop removes the watch but keeps
// the descriptor until the destructor: the kernel retires a removed watch
// in the background, where closing a descriptor that still holds one waits
// for that (up to 20 ms at a process's exit).
#pragma once

#include <filesystem>
#include <functional>
#include <thread>

#include "platform/unique_fd.h"

namespace kv {

class FileWatch {
 public:
  FileWatch() = default;
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;
  ~FileWatch();

  // Starts watching `path` (which need not exist yet; its folder must).
  // false, with nothing running, when the watch is already running, the
  // folder cannot be watched, or the host offers no inotify or thread.
  // `onChange` must not throw, and must not stop or destroy this watch.
  [[nodiscard]] bool Start(const std::filesystem::path& path, std::function<void()> onChange);

  // Removes the watch, stops the thread and waits for it; a callback that
  // has begun finishes first, and none begins after Stop returns. Harmless
  // when not running.
  void Stop();

 private:
  UniqueFd changes_;  // inotify
  int watch_ = -1;    // the folder's watch on changes_
  UniqueFd wake_;     // eventfd written by Stop
  std::thread thread_;
};

}  // namespace kv
