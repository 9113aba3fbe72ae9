// Sha256OfFile and Sha256Of (file_digest.h) over Nettle's SHA-256.
#include "platform/file_digest.h"

#include <nettle/sha2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>

namespace kv {

namespace {

std::string HexDigest(sha256_ctx& state) {
  std::array<unsigned char, SHA256_DIGEST_SIZE> digest{};
  sha256_digest(&state, digest.size(), digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char byte : digest) hex += {kDigits[byte >> 4], kDigits[byte & 15]};
  return hex;
}

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

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
  read.sha256 = HexDigest(state);
  return read;
}

FileDigest Sha256Of(std::string_view bytes) {
  sha256_ctx state;
  sha256_init(&state);
  sha256_update(&state, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
  return {HexDigest(state), bytes.size()};
}

FileVersion VersionOf(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::uint64_t>(status.st_size), Nanoseconds(status.st_mtim),
          Nanoseconds(status.st_ctim)};
}

}  // namespace kv
