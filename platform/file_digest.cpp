// Sha256OfFile (file_digest.h) over Nettle's incremental SHA-256.
#include "platform/file_digest.h"

#include <nettle/sha2.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>

namespace kv {

Result<FileDigest> Sha256OfFile(int fd) {
  sha256_ctx state;
  sha256_init(&state);
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kChunk);  // no zero-fill
  FileDigest read;
  for (;;) {
    const ssize_t got = ::pread(fd, buffer.get(), kChunk, static_cast<off_t>(read.size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure();
    if (got == 0) break;
    sha256_update(&state, static_cast<std::size_t>(got), buffer.get());
    read.size += static_cast<std::uint64_t>(got);
  }
  std::array<unsigned char, SHA256_DIGEST_SIZE> digest{};
  sha256_digest(&state, digest.size(), digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  for (const unsigned char byte : digest) read.sha256 += {kDigits[byte >> 4], kDigits[byte & 15]};
  return read;
}

}  // namespace kv
