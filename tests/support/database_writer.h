// Test helper: writes stored database lines and whole database files
// without tarnsig, so that the program's decoder and loader are checked
// against an encoder of their own. Its Base64 is a bit accumulator, built
// differently from the program's; MD5 and RC4 are the program's, which their
// own tests hold to the published vectors.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "database/md5.h"
#include "database/rc4.h"

namespace kv::testing {

inline std::string Base64ForTest(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (const char c : bytes) {
    bits = (bits << 8) | static_cast<unsigned char>(c);
    bitCount += 8;
    while (bitCount >= 6) text += kDigits[(bits >> (bitCount -= 6)) & 0x3f];
  }
  if (bitCount > 0) text += kDigits[(bits << (6 - bitCount)) & 0x3f];
  while (text.size() % 4 != 0) text += '=';
  return text;
}

// The stored form of a plain line: RC4 under the MD5 digest of the key, then
// Base64.
inline std::string StoredLine(std::string_view plain, std::string_view key = "QOPRUX") {
  const std::vector<std::uint8_t> data(plain.begin(), plain.end());
  std::vector<std::uint8_t> out(data.size());
  std::size_t count = 0;
  if (!data.empty() && !Rc4Crypt(data, Md5(key).Digest(), out, count)) {
    throw std::logic_error("the test encoder's RC4 refused its input");
  }
  return Base64ForTest(std::string(out.begin(), out.end()));
}

// A whole database file: the version line, then every plain line stored,
// each line ending in CR LF. `plainLines` is a braced list or any range of
// strings.
template <typename Lines = std::initializer_list<std::string_view>>
inline std::string DatabaseFile(std::string_view version, const Lines& plainLines) {
  std::string file = std::string(version) + "\r\n";
  for (const std::string_view plain : plainLines) file += StoredLine(plain) + "\r\n";
  return file;
}

// A character signature line: `name` padded with blanks to the 20-character
// name field, then the pattern.
inline std::string CharacterLine(std::string_view name, std::string_view pattern) {
  std::string line(name);
  line.resize(20, ' ');
  return line + std::string(pattern);
}

}  // namespace kv::testing
