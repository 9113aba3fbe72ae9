// Advisory flock locks that may wait a bounded time for another holder.
// Internal to the platform layer: the lock behind File::Lock and the waiting
// read open.
//
// Entry points: LockWaiting, CheckAndLock.
// Linux has no timed flock, and a blocking one could hang a program on a
// holder that never lets go, so a busy lock is tried again every
// millisecond until the wait is over. Holders of our files keep them for
// one short read or write, so a waiter gets its turn within a few tries.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/files.h"
#include "platform/result.h"

namespace kv {

// Takes the exclusive (kNone) or shared (kRead) lock on `fd`, trying again
// while another open holds a lock against it until `maxWait` has passed.
[[nodiscard]] LockStatus LockWaiting(int fd, Sharing sharing, std::chrono::milliseconds maxWait);

// Takes the lock `sharing` asks for, waiting no longer than `lockWait`
// (kLocked when it is still held then), then checks on the open file itself
// that it is a regular file (kNotRegular). Gives the file's size as it is
// under the lock, which no writer that keeps to the locks can change.
[[nodiscard]] Result<std::uint64_t> CheckAndLock(int fd, Sharing sharing,
                                                 std::chrono::milliseconds lockWait = {});

}  // namespace kv
