// Fuzz target: DecodeDatabaseLine over arbitrary stored lines, with the
// database key. On success the plain line fits the callers' 256-byte buffer
// and no more bytes than the line's Base64 characters can carry, and
// storing it again (test encoder) decodes back to the same bytes; on failure
// `out` is left exactly as it was.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "platform/limits.h"
#include "scan/line_decoder.h"
#include "scan/virus_database.h"
#include "support/database_writer.h"

namespace kv::fuzz {
namespace {

// Characters that can take part in a Base64 group: the alphabet and "=",
// counted up to the line's first zero byte, where the stored text ends.
std::size_t GroupCharacters(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  return static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
  }));
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::Require;
  const std::string line(reinterpret_cast<const char*>(data), size);
  // Longer than any plain line, so that a partial write would show.
  const std::string before(kv::limits::kMaxPlainLine + 9, '#');
  std::string out = before;
  const int result = kv::DecodeDatabaseLine(kv::kDatabaseKey, line, out);
  Require(result == 0 || result == -1, "the result is 0 or -1");
  if (result != 0) {
    Require(out == before, "a failed decode leaves out untouched");
    return 0;
  }
  Require(out.size() <= kv::limits::kMaxPlainLine, "a plain line is at most 255 bytes");
  Require(out.size() <= kv::fuzz::GroupCharacters(line) / 4 * 3,
          "every 4 Base64 characters give at most 3 bytes");

  std::string again = before;
  Require(kv::DecodeDatabaseLine(kv::kDatabaseKey, kv::testing::StoredLine(out), again) == 0 &&
              again == out,
          "a decoded line stored again decodes to the same bytes");
  return 0;
}
