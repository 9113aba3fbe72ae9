// Where a host process's executable lies in the file store, if it does: the
// test that makes a host process one of the handset's. Internal to the
// platform layer, shared by the process snapshot and ProcessHandle.
//
// Entry points: StoreRootHostPath, FindProcessExecutable.
#pragma once

#include <string>

#include "platform/result.h"
#include "platform/store.h"

namespace kv {

// The store root's host path as the kernel writes paths now, ending in "/",
// to hold the executables' paths against. Fails for a Store not opened.
[[nodiscard]] Result<std::string> StoreRootHostPath(const Store& store);

// The device path of process `id`'s executable when that file is the
// store's own: the file the device path names, reached through the store
// without links, is the very file the process runs (device and inode). The
// path text alone never decides. kFileNotFound (no cause) when it is
// another file; kFailed when that cannot be told: the process is gone, is a
// kernel thread, or is not ours to inspect.
//
// An executable deleted from the store after the process started still
// counts, under the device path it had, when it lies on the store root's own
// mount (not a mount of another namespace) and the kernel places it in the
// store: a program that deletes its own file is still a handset program, and
// the memory scan must still be able to end it. (The host lets a running
// program's file be deleted, which the handset never did.) A deleted file
// that cannot be shown to be the store's is no handset process.
[[nodiscard]] Result<std::u16string> FindProcessExecutable(const Store& store,
                                                           const std::string& rootPath, int id);

}  // namespace kv
