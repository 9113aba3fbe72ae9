// The three decoding steps of line_decoder.h chained over fixed buffers, so
// that a line of any length is either decoded whole or refused without a
// write outside a buffer. Every line starts the key stream afresh, so the
// stream is made once per key (and thread) and each line is deciphered by
// XOR with its start: a database's thousands of lines share one key.
#include "database/line_decoder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "database/base64.h"
#include "database/md5.h"
#include "database/rc4.h"
#include "platform/limits.h"

namespace kv {
namespace {

using KeyStream = std::array<std::uint8_t, limits::kMaxPlainLine>;

// The start of `key`'s RC4 key stream, as long as a plain line can be.
const KeyStream& KeyStreamOf(std::string_view key) {
  thread_local std::optional<std::string> madeFor;
  thread_local KeyStream stream{};
  if (madeFor != key) {
    const Md5 md5(key);
    const KeyStream zeros{};
    std::size_t length = 0;
    (void)Rc4Crypt(zeros, md5.Digest(), stream, length);  // a digest is never empty
    madeFor = key;
  }
  return stream;
}

}  // namespace

bool DecodeDatabaseLine(std::string_view key, std::string_view line, std::string& out) {
  const std::string_view stored = line.substr(0, line.find('\0'));
  std::array<std::uint8_t, limits::kBase64BufferBytes> bytes{};
  std::size_t byteCount = 0;
  // The last byte of the buffer stays zero behind the decoded bytes.
  if (!Base64Decode(stored, std::span(bytes).first(bytes.size() - 1), byteCount) ||
      byteCount > limits::kMaxPlainLine) {
    return false;
  }
  const KeyStream& stream = KeyStreamOf(key);
  out.resize(byteCount);
  for (std::size_t i = 0; i < byteCount; ++i) {
    out[i] = static_cast<char>(bytes[i] ^ stream[i]);
  }
  return true;
}

}  // namespace kv
