// SHA-256 of a file, for the quarantine's records: of an open file, or of
// its bytes as a check read them, kept with the version of the file read so
// that a move can tell whether they still stand for the file.
//
// Entry points: Sha256OfFile, Sha256Of, FileVersion, ReadDigest.
// The digest comes from Nettle, which takes the processor's SHA
// instructions where there are any (libsodium's is portable code, about a
// fifth as fast); the file is read with pread from offset 0 in chunks,
// never mapped (see files.h), so a file of any size costs one buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

struct stat;

namespace kv {

struct FileDigest {
  std::string sha256;  // 64 lower-case hex digits
  std::uint64_t size = 0;
};

// The SHA-256 of the whole file behind `fd`, and its size in bytes; fails
// when it cannot be read to the end.
[[nodiscard]] Result<FileDigest> Sha256OfFile(int fd);

// The SHA-256 of `bytes`.
FileDigest Sha256Of(std::string_view bytes);

// A file's inode and the marks a write leaves on it (size, modification and
// change times to the nanosecond): equal versions, equal content, unless a
// write fell within the clock tick of the read.
struct FileVersion {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileVersion&) const = default;
};

FileVersion VersionOf(const struct stat& status);

// The digest of a file's bytes as a check read them, and the file's
// version then.
struct ReadDigest {
  FileDigest digest;
  FileVersion version;
};

}  // namespace kv
