// Fuzz target: the loader's line walk (ReadDatabaseLines) over arbitrary file
// contents. Whatever the bytes, what it stores must be what the format
// allows: no record from a line the format forbids, no marker stored, no zero
// byte inside a record, and a delete-list offset that points just past a
// line end inside the content.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "platform/limits.h"
#include "scan/signature_store.h"
#include "scan/virus_database.h"

namespace kv::fuzz {
namespace {

constexpr int32_t kVersionBefore = -7;
constexpr int32_t kOffsetBefore = -9;
// The longest plain line a stored line within the length limit can give.
constexpr std::size_t kMaxLoadedLine = limits::kMaxEncodedLine / 4 * 3;

bool HoldsMarker(std::string_view text) {
  for (const std::string_view marker :
       {"[VirusCharacter]", "[VirusFile]", "[VirusProcess]", "[DELETE_FILES]"}) {
    if (text.find(marker) != std::string_view::npos) return true;
  }
  return false;
}

void CheckRecordText(const SignatureRecord& record) {
  Require(record.pattern.find('\0') == std::string::npos, "no zero byte in a pattern");
  Require(record.name.find('\0') == std::string::npos, "no zero byte in a name");
  Require(!HoldsMarker(record.pattern) && !HoldsMarker(record.name), "markers are never stored");
}

void CheckStore(std::string_view content, const SignatureStore& store, int32_t version) {
  for (const SignatureRecord& record : store.characterSignatures) {
    CheckRecordText(record);
    Require(record.name.size() < limits::kNameFieldLength, "a name has at most 19 characters");
    Require(record.name.find(' ') == std::string::npos, "a name ends at its first blank");
    Require(record.pattern.size() <= kMaxLoadedLine - limits::kNameFieldLength,
            "a character pattern follows a full name field of a line within the limit");
  }
  for (const SignatureList* list : {&store.fileSignatures, &store.processSignatures}) {
    for (const SignatureRecord& record : *list) {
      CheckRecordText(record);
      Require(record.name.empty(), "file and process records have no name");
      Require(record.pattern.size() <= kMaxLoadedLine, "a record comes from a line in the limit");
    }
  }

  const std::size_t lines =
      static_cast<std::size_t>(std::count(content.begin(), content.end(), '\r'));
  const std::size_t records = store.characterSignatures.size() + store.fileSignatures.size() +
                              store.processSignatures.size();
  Require(lines > 0 || version == kVersionBefore, "the version comes from a first line");
  Require(records + 1 <= std::max<std::size_t>(lines, 1), "at most one record a line after line 1");

  if (store.deleteFilesOffset == kOffsetBefore) return;
  const auto offset = static_cast<std::size_t>(store.deleteFilesOffset);
  Require(store.deleteFilesOffset >= 4 && offset <= content.size() + 1,
          "the delete-list offset lies within the content size + 1");
  Require(content[offset - 2] == '\r', "the delete-list offset follows a line's CR and one byte");
}

}  // namespace
}  // namespace kv::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  kv::SignatureStore store;
  store.deleteFilesOffset = kv::fuzz::kOffsetBefore;
  int32_t version = kv::fuzz::kVersionBefore;
  kv::ReadDatabaseLines(content, store, version);
  kv::fuzz::CheckStore(content, store, version);
  return 0;
}
