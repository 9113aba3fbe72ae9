// Sha256OfFile (file_digest.h) over libsodium's incremental SHA-256.
#include "platform/file_digest.h"

#include <sodium.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

namespace kv::platform {

bool Sha256OfFile(int fd, std::string& hexDigest, std::uint64_t& size) {
  if (sodium_init() < 0) return false;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  std::vector<unsigned char> buffer(std::size_t{1} << 16);
  size = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    crypto_hash_sha256_update(&state, buffer.data(), static_cast<unsigned long long>(got));
    size += static_cast<std::uint64_t>(got);
  }
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256_final(&state, digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  hexDigest.clear();
  for (const unsigned char byte : digest) hexDigest += {kDigits[byte >> 4], kDigits[byte & 15]};
  return true;
}

}  // namespace kv::platform
