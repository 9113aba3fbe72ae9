// Sha256OfFile (file_digest.h) over libsodium's incremental SHA-256.
#include "platform/file_digest.h"

#include <sodium.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

namespace kv {

Result<FileDigest> Sha256OfFile(int fd) {
  if (sodium_init() < 0) return Failure{};
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  std::vector<unsigned char> buffer(std::size_t{1} << 16);
  FileDigest read;
  for (;;) {
    const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(read.size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure();
    if (got == 0) break;
    crypto_hash_sha256_update(&state, buffer.data(), static_cast<unsigned long long>(got));
    read.size += static_cast<std::uint64_t>(got);
  }
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256_final(&state, digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  for (const unsigned char byte : digest) read.sha256 += {kDigits[byte >> 4], kDigits[byte & 15]};
  return read;
}

}  // namespace kv
