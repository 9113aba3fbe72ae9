// The three decoding steps of line_decoder.h chained over fixed buffers, so
// that a line of any length is either decoded whole or refused without a
// write outside a buffer. The digest is computed per call: the key is a
// handful of bytes and callers may pass any key.
#include "database/line_decoder.h"

#include <array>
#include <cstdint>
#include <span>

#include "database/base64.h"
#include "database/md5.h"
#include "database/rc4.h"
#include "platform/limits.h"

namespace kv {

bool DecodeDatabaseLine(std::string_view key, std::string_view line, std::string& out) {
  const Md5 md5(key);

  const std::string_view stored = line.substr(0, line.find('\0'));
  std::array<std::uint8_t, limits::kBase64BufferBytes> bytes{};
  std::size_t byteCount = 0;
  // The last byte of the buffer stays zero behind the decoded bytes.
  if (!Base64Decode(stored, std::span(bytes).first(bytes.size() - 1), byteCount) ||
      byteCount > limits::kMaxPlainLine) {
    return false;
  }

  std::array<std::uint8_t, limits::kMaxPlainLine> plain{};
  std::size_t plainCount = 0;
  if (!Rc4Crypt(std::span(bytes).first(byteCount), md5.Digest(), plain, plainCount)) return false;
  out.assign(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(plainCount));
  return true;
}

}  // namespace kv
