// SHA-256 of an open file, for the quarantine's records. Internal to the
// platform layer.
//
// Entry point: Sha256OfFile.
// The digest comes from libsodium, the project's one crypto library; the
// file is read with pread from offset 0 in chunks, never mapped (see
// files.h), so a file of any size costs one buffer.
#pragma once

#include <cstdint>
#include <string>

namespace kv::platform {

// The SHA-256 of the whole file behind `fd` as 64 lower-case hex digits,
// and its size in bytes; false when it cannot be read to the end.
[[nodiscard]] bool Sha256OfFile(int fd, std::string& hexDigest, std::uint64_t& size);

}  // namespace kv::platform
