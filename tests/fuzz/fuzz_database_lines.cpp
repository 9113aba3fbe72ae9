// Fuzz target: the loader's line walk (ReadDatabaseLines) over arbitrary file
// contents. Whatever the bytes, what it stores must be what the format
// allows: no record from a line the format forbids, no marker stored, no zero
// byte inside a record, and a delete-list offset that points just past a
// line end inside the content.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/signature_database.h"
#include "database/virus_database.h"
#include "fuzz/fuzz_target.h"
#include "platform/limits.h"

namespace kv::fuzz {
namespace {

constexpr int32_t kVersionBefore = -7;
// The longest plain line a stored line within the length limit can give.
constexpr std::size_t kMaxLoadedLine = limits::kMaxEncodedLine / 4 * 3;

void CheckRecord(const SignatureRecord& record, bool character) {
  for (const std::string_view text : {record.name, record.pattern}) {
    Require(text.find('\0') == std::string_view::npos, "no zero byte in a record");
    for (const std::string_view marker :
         {"[VirusCharacter]", "[VirusFile]", "[VirusProcess]", "[DELETE_FILES]"}) {
      Require(text.find(marker) == std::string_view::npos, "markers are never stored");
    }
  }
  Require(character ? record.name.size() < limits::kNameFieldLength &&
                          record.name.find(' ') == std::string::npos
                    : record.name.empty(),
          "a character name is at most 19 characters up to a blank; other records have none");
  // A character pattern follows a full name field.
  Require(record.pattern.size() + (character ? limits::kNameFieldLength : 0) <= kMaxLoadedLine,
          "a record comes from a line within the length limit");
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kv::fuzz::CheckRecord;
  using kv::fuzz::Require;
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const kv::DatabaseContents store = kv::ReadDatabaseLines(content);
  const int32_t version = store.version.value_or(kv::fuzz::kVersionBefore);
  for (const kv::SignatureRecord& record : store.characterSignatures) CheckRecord(record, true);
  for (const kv::SignatureRecord& record : store.fileSignatures) CheckRecord(record, false);
  for (const kv::SignatureRecord& record : store.processSignatures) CheckRecord(record, false);

  const std::size_t lines =
      static_cast<std::size_t>(std::count(content.begin(), content.end(), '\r'));
  const std::size_t records = store.characterSignatures.size() + store.fileSignatures.size() +
                              store.processSignatures.size();
  Require(lines > 0 || version == kv::fuzz::kVersionBefore, "the version comes from a first line");
  Require(records + 1 <= std::max<std::size_t>(lines, 1), "at most one record a line after line 1");

  Require(store.lastLineCut == (!content.empty() && !content.ends_with("\r\n")),
          "a cut last line is told");
  if (!store.deleteFilesOffset) return 0;
  const auto offset = static_cast<std::size_t>(*store.deleteFilesOffset);
  Require(
      *store.deleteFilesOffset >= 4 && offset <= content.size() + 1 && content[offset - 2] == '\r',
      "the delete-list offset lies one byte past a line's CR, within the content size + 1");
  return 0;
}
