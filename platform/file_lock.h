// Advisory flock locks that may wait a bounded time for another holder.
// Internal to the platform layer: the lock behind File::Lock and the waiting
// read open.
//
// Entry point: LockWaiting.
// Linux has no timed flock, and a blocking one could hang a program on a
// holder that never lets go, so a busy lock is tried again every
// millisecond until the wait is over. Holders of our files keep them for
// one short read or write, so a waiter gets its turn within a few tries.
#pragma once

#include <chrono>

#include "platform/files.h"

namespace kv::platform {

// Takes the exclusive (kNone) or shared (kRead) lock on `fd`, trying again
// while another open holds a lock against it until `maxWait` has passed.
[[nodiscard]] LockStatus LockWaiting(int fd, Sharing sharing, std::chrono::milliseconds maxWait);

}  // namespace kv::platform
