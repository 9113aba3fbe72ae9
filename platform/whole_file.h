// A host file that several processes read whole and rewrite whole (the
// registry's hive): a capped whole read, the writers' lock, and replacement
// by rename.
//
// Entry points: ReadWholeHostFile, WriterLock, ReplaceHostFile.
// The lock lives in "<file>.lock" beside the file, never on the file: the
// file's inode is replaced by every write, and a lock on the old inode would
// not exclude the next writer. The new content is written to "<file>.new" in
// the same folder (a rename only replaces atomically within one file
// system); the lock makes that one fixed name safe, and a crash leaves at
// most one stale file that the next write truncates.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/result.h"
#include "platform/unique_fd.h"

namespace kv {

// The whole file. kFileNotFound when it is missing; kNotRegular when it is
// no regular file; kFailed with cause EFBIG when it is larger than
// `maxBytes` (it is never read, so never rewritten); kFailed with the
// host's cause when it cannot be read.
Result<std::string> ReadWholeHostFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// An exclusive flock on "<file>.lock", held until destruction. Acquire
// waits for the holder, since writers hold it only while they rewrite the
// file, but at most `maxWait`: a holder that never lets go (a stuck
// process, anyone's flock on the lock file) must not hang the program.
class WriterLock {
 public:
  [[nodiscard]] Result<void> Acquire(const std::filesystem::path& path,
                                     std::chrono::milliseconds maxWait);

 private:
  UniqueFd fd_;
};

// Writes `content` to "<file>.new", fsyncs it and renames it over the file,
// then fsyncs the folder so the rename itself survives a crash. On failure
// the file is untouched and the temporary file removed.
[[nodiscard]] Result<void> ReplaceHostFile(const std::filesystem::path& path,
                                           std::string_view content);

}  // namespace kv
