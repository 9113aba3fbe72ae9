// Where a host process's executable lies in the file store, if it does: the
// test that makes a host process one of the handset's. Internal to the
// platform layer, shared by the process snapshot and ProcessHandle.
//
// Entry points: StoreRootHostPath, FindProcessExecutable.
#pragma once

#include <string>

#include "platform/store.h"

namespace kv::platform {

// The store root's host path as the kernel writes paths now, to hold the
// executables' paths against. false for a Store not opened.
[[nodiscard]] bool StoreRootHostPath(const Store& store, std::string& rootPath);

// The device path of process `id`'s executable when that file lies inside
// the store whose root the kernel calls `rootPath`. false when it lies
// elsewhere, or when that cannot be told: the process is gone, is a kernel
// thread, or is not ours to inspect.
//
// An executable deleted from the store after the process started still
// counts, under the device path it had: a program that deletes its own file
// is still a handset program, and the memory scan must still be able to
// end it. (The host lets a running program's file be deleted, which the
// handset never did.)
[[nodiscard]] bool FindProcessExecutable(const Store& store, const std::string& rootPath, int id,
                                         std::u16string& devicePath);

}  // namespace kv::platform
