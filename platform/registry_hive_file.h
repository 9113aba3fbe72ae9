// The hive as a host file: whole reads, the writers' lock, and replacement
// by rename. Internal to the platform layer, used by RegistryHive.
//
// Entry points: ReadHiveFile, HiveWriteLock, ReplaceHiveFile.
// The lock lives in "<hive>.lock" beside the hive, never on the hive: the
// hive's inode is replaced by every write, and a lock on the old inode would
// not exclude the next writer. The new hive is written to "<hive>.new" in
// the same folder (a rename only replaces atomically within one file
// system); the lock makes that one fixed name safe, and a crash leaves at
// most one stale file that the next write truncates.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/registry_hive.h"
#include "platform/unique_fd.h"

namespace kv::platform {

// The whole hive. A missing hive reads as empty content (kOk). kCorruptHive
// for a hive over limits::kMaxHiveBytes (it is never read, so never rewritten);
// kFailed when it is no regular file or cannot be read.
[[nodiscard]] RegistryStatus ReadHiveFile(const std::filesystem::path& hivePath,
                                          std::string& content);

// An exclusive flock on "<hive>.lock", held until destruction. Acquire
// waits for the holder, since writers hold it only while they rewrite the
// hive, but at most limits::kLogLockWait: a holder that never lets go (a
// stuck process, anyone's flock on the file) must not hang the program.
// false when the wait is over or the lock cannot be taken.
class HiveWriteLock {
 public:
  [[nodiscard]] bool Acquire(const std::filesystem::path& hivePath);

 private:
  UniqueFd fd_;
};

// Writes `content` to "<hive>.new", fsyncs it and renames it over the hive,
// then fsyncs the folder so the rename itself survives a crash. On failure
// the hive is untouched and the temporary file removed.
[[nodiscard]] bool ReplaceHiveFile(const std::filesystem::path& hivePath, std::string_view content);

}  // namespace kv::platform
