// Line encoding for tarnsig encode: RC4 then Base64, reusing the program's
// MD5 and RC4 (RC4 enciphers and deciphers alike).
#include "tools/tarnsig/line_encoder.h"

#include <algorithm>
#include <vector>

#include "database/md5.h"
#include "database/rc4.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(EncodedLength(bytes.size()));
  for (std::size_t pos = 0; pos < bytes.size(); pos += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - pos);
    std::uint32_t group = static_cast<std::uint32_t>(bytes[pos]) << 16;
    if (count > 1) group |= static_cast<std::uint32_t>(bytes[pos + 1]) << 8;
    if (count > 2) group |= bytes[pos + 2];
    for (std::size_t i = 0; i < 4; ++i) {
      text += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3f] : '=';
    }
  }
  return text;
}

std::string EncodeDatabaseLine(std::string_view key, std::string_view plain) {
  if (plain.empty()) return {};
  const Md5 md5(key);
  const std::vector<std::uint8_t> plainBytes(plain.begin(), plain.end());
  std::vector<std::uint8_t> enciphered(plainBytes.size());
  std::size_t count = 0;
  if (!Rc4Crypt(plainBytes, md5.Digest(), enciphered, count)) return {};
  return Base64Encode(std::span(enciphered).first(count));
}

}  // namespace kv::tarnsig
