// Md5: the MD5 message digest of RFC 1321, our own code. The database key
// string is turned into the 16-byte RC4 key with it (see line_decoder.h).
//
// Entry point: construct with the bytes, then ask for Digest(). The digest is
// computed once, in the constructor, so every request returns the same 16
// bytes and the object holds no mutable state.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kv {

class Md5 {
 public:
  using DigestBytes = std::array<std::uint8_t, 16>;

  explicit Md5(std::string_view bytes);

  const DigestBytes& Digest() const { return digest_; }

 private:
  DigestBytes digest_{};
};

}  // namespace kv
