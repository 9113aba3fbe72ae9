// The file matcher. A file is opened with no sharing, mapped whole and
// searched in place; the view, the mapping and the file are released before
// any deletion, and on every path out, exceptions included (RAII).
#include "scan/file_matcher.h"

#include <cstdint>
#include <new>

#include "pattern/engine_failure.h"
#include "pattern/match_pattern.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "scan/signature_store.h"

namespace kv {
namespace {

// Opens and maps the file, then returns FirstMatchingSignature over it, with
// the file released again: 0 for an absent or empty file, -1 when it cannot
// be opened, sized or mapped, or when the engine fails.
int MatchFile(std::u16string_view path) {
  platform::File file;
  switch (platform::File::OpenForRead(path, platform::Sharing::kNone, file)) {
    case platform::FileStatus::kOk:
      break;
    case platform::FileStatus::kFileNotFound:
      return 0;
    case platform::FileStatus::kFailed:
      return -1;
  }
  uint64_t size = 0;
  if (!file.Size(size)) return -1;
  if (size == 0) return 0;
  // The engine counts positions in int; a larger file cannot be searched.
  if (size > limits::kMaxScannedFileBytes) return -1;
  platform::MappedView view;
  if (!platform::MappedView::Map(file, size, view)) return -1;
  try {
    return FirstMatchingSignature(view.data(), view.size());
  } catch (const PatternEngineFailure&) {
    return -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

}  // namespace

int FirstMatchingSignature(const char* data, std::size_t length) {
  const SignatureList& signatures = signatureStore.characterSignatures;
  for (std::size_t i = 0; i < signatures.size(); ++i) {
    if (MatchPattern(signatures[i].pattern.c_str(), data, static_cast<int>(length), 0) != 0) {
      return static_cast<int>(i + 1);
    }
  }
  return 0;
}

bool MatchSignatures(const char* data, std::size_t length) {
  return FirstMatchingSignature(data, length) != 0;
}

int FindMatchingSignature(std::u16string_view path) { return MatchFile(path); }

int CheckFile(std::u16string_view path, int deleteOnMatch) {
  const int found = MatchFile(path);
  if (found <= 0) return found;
  if (deleteOnMatch == 0) return kFileFound;
  // A failure to clear the attributes shows up as a failed deletion.
  platform::SetNormalAttributes(path);
  return platform::DeleteStoreFile(path) == platform::FileStatus::kOk ? kFileDeleted
                                                                      : kFileDeleteFailed;
}

}  // namespace kv
