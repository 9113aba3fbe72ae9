// Fuzz target: DecodeDatabaseLine over arbitrary stored lines, with the
// database key. On success the plain line fits the callers' 256-byte buffer
// and no more bytes than the line's Base64 characters can carry, and
// storing it again (test encoder) decodes back to the same bytes; on failure
// the result is -1 and `out` is left exactly as it was.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/line_decoder.h"
#include "database/virus_database.h"
#include "fuzz/fuzz_target.h"
#include "platform/limits.h"
#include "support/database_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::Require;
  const std::string line(reinterpret_cast<const char*>(data), size);
  // Longer than any plain line, so that a partial write would show.
  const std::string before(kv::limits::kMaxPlainLine + 9, '#');
  std::string out = before;
  if (!kv::DecodeDatabaseLine(kv::kDatabaseKey, line, out)) {
    Require(out == before, "a failed decode leaves out untouched");
    return 0;
  }
  // The characters that can take part in a Base64 group, up to the line's
  // first zero byte, where the stored text ends.
  constexpr std::string_view kGroup =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
  const std::string_view stored = line.c_str();
  const auto groupCharacters = std::count_if(stored.begin(), stored.end(), [&](char c) {
    return kGroup.find(c) != std::string_view::npos;
  });
  Require(out.size() <= kv::limits::kMaxPlainLine, "a plain line is at most 255 bytes");
  Require(out.size() <= static_cast<std::size_t>(groupCharacters) / 4 * 3,
          "every 4 Base64 characters give at most 3 bytes");

  std::string again = before;
  Require(
      kv::DecodeDatabaseLine(kv::kDatabaseKey, kv::testing::StoredLine(out), again) && again == out,
      "a decoded line stored again decodes to the same bytes");
  return 0;
}
