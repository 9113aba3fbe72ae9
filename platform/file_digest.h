// SHA-256 of an open file, for the quarantine's records. Internal to the
// platform layer.
//
// Entry point: Sha256OfFile.
// The digest comes from Nettle, which takes the processor's SHA
// instructions where there are any (libsodium's is portable code, about a
// fifth as fast); the file is read with pread from offset 0 in chunks,
// never mapped (see files.h), so a file of any size costs one buffer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace kv {

struct FileDigest {
  std::string sha256;  // 64 lower-case hex digits
  std::uint64_t size = 0;
};

// The SHA-256 of the whole file behind `fd`, and its size in bytes; fails
// when it cannot be read to the end.
[[nodiscard]] Result<FileDigest> Sha256OfFile(int fd);

}  // namespace kv
