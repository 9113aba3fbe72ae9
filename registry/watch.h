// RegistryWatch: tells a callback that the hive has changed, as the
// handset's registry notification does: a watch on the hive's file
// (platform/file_watch.h), which writers replace by rename.
//
// Entry point: RegistryWatch (Start, Stop; the destructor stops).
// The callback runs on a watcher thread and is given nothing but the fact
// of a change; it is the callee's part to read the hive again.
#pragma once

#include <functional>
#include <utility>

#include "platform/file_watch.h"
#include "registry/hive.h"

namespace kv {

class RegistryWatch {
 public:
  // false, with nothing running, when the watch is already running or the
  // hive's folder cannot be watched. `onChange` must not throw, and must not
  // stop or destroy this watch.
  [[nodiscard]] bool Start(const RegistryHive& hive, std::function<void()> onChange) {
    return watch_.Start(hive.Path(), std::move(onChange));
  }
  // A callback that has begun finishes first; none begins after Stop.
  void Stop() { watch_.Stop(); }

 private:
  FileWatch watch_;
};

}  // namespace kv
