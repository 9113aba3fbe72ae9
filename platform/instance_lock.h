// InstanceLock: the single-instance "named mutex" of the interactive
// program, a lock file in the prefix's run folder (<prefix>/run/).
//
// Entry points: InstanceLock (Acquire), LockAttempt.
// The lock is an exclusive flock on the file, taken without waiting and
// held for as long as the object lives: the kernel drops it when the
// process ends however it ends, so a crashed first instance never blocks
// the next one. The file is opened without following a link, so an object
// of another kind under the lock's name (a folder, a link) is told apart
// from a lock held by another process.
#pragma once

#include <filesystem>

#include "platform/unique_fd.h"

namespace kv {

enum class LockAttempt {
  kAcquired,   // this process holds the lock now
  kHeld,       // another process holds it
  kWrongKind,  // something that is no regular file bears the name
  kFailed,     // the folder or file cannot be made or opened
};

class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Creates the lock file's folder and the file when missing and tries the
  // lock once. A lock already held by this object stays held (kAcquired).
  [[nodiscard]] LockAttempt Acquire(const std::filesystem::path& lockFile);

  bool IsHeld() const { return fd_.IsValid(); }

 private:
  UniqueFd fd_;
};

}  // namespace kv
