// The file matcher. A file is opened with no sharing and read whole into
// the matcher's buffer; it stays open (and so locked) while it is searched
// and is closed before any deletion.
#include "scan/file_matcher.h"

#include <new>

#include "platform/limits.h"

namespace kv {
namespace {

SignatureMatch Failed(CheckFailure failure) {
  return {SignatureMatch::Kind::kFailed, 0, failure, SearchStatus::kNoMatch};
}

}  // namespace

FileMatcher::FileMatcher(const platform::Store& store, const SignatureDatabase& database,
                         const CancelToken* cancel, MatchPath path)
    : store_(store), database_(database), cancel_(cancel), path_(path), fastSearch_(database) {}

SignatureMatch FileMatcher::MatchSignatures(std::string_view data) {
  if (path_ == MatchPath::kReference) return MatchSignaturesByReference(database_, data);
  return fastSearch_.Match(data, cancel_);
}

SignatureMatch FileMatcher::MatchOpenFile(platform::FileStatus opened, platform::File& file) {
  switch (opened) {
    case platform::FileStatus::kOk:
      break;
    case platform::FileStatus::kFileNotFound:
      return {};
    case platform::FileStatus::kFailed:
      return Failed(CheckFailure::kOpen);
  }
  std::uint64_t size = 0;
  if (!file.Size(size)) return Failed(CheckFailure::kRead);
  if (size == 0) return {};
  if (size > limits::kMaxScannedFileBytes) return Failed(CheckFailure::kTooLarge);
  if (!file.ReadAll(buffer_, limits::kMaxScannedFileBytes)) return Failed(CheckFailure::kRead);
  return MatchSignatures(buffer_);
}

SignatureMatch FileMatcher::FindMatchingSignature(std::u16string_view path) {
  try {
    platform::File file;
    const platform::FileStatus opened =
        platform::File::OpenForRead(store_, path, platform::Sharing::kNone, file);
    return MatchOpenFile(opened, file);
  } catch (const std::bad_alloc&) {
    return Failed(CheckFailure::kRead);
  }
}

SignatureMatch FileMatcher::MatchHostFile(const std::filesystem::path& path) {
  try {
    platform::File file;
    const platform::FileStatus opened =
        platform::File::OpenHostFile(path, platform::Sharing::kNone, file);
    // A file the user named must be there: its absence is no clean answer.
    if (opened == platform::FileStatus::kFileNotFound) return Failed(CheckFailure::kOpen);
    return MatchOpenFile(opened, file);
  } catch (const std::bad_alloc&) {
    return Failed(CheckFailure::kRead);
  }
}

FileCheckResult FileMatcher::CheckFile(std::u16string_view path, bool deleteOnMatch) {
  return Conclude(path, FindMatchingSignature(path), deleteOnMatch);  // the file is closed again
}

FileCheckResult FileMatcher::CheckOpenedFile(std::u16string_view path, platform::FileStatus opened,
                                             platform::File& file, bool deleteOnMatch) {
  SignatureMatch match;
  try {
    match = MatchOpenFile(opened, file);
  } catch (const std::bad_alloc&) {
    match = Failed(CheckFailure::kRead);
  }
  file = platform::File();  // closed, and so unlocked, before a deletion
  return Conclude(path, match, deleteOnMatch);
}

FileCheckResult FileMatcher::Conclude(std::u16string_view path, const SignatureMatch& match,
                                      bool deleteOnMatch) {
  switch (match.kind) {
    case SignatureMatch::Kind::kNone:
      return FileCheckResult::kClean;
    case SignatureMatch::Kind::kFailed:
      return FileCheckResult::kUnreadable;
    case SignatureMatch::Kind::kFound:
      break;
  }
  if (!deleteOnMatch) return FileCheckResult::kFound;
  // A failure to clear the attributes shows up as a failed deletion.
  (void)platform::SetNormalAttributes(store_, path);
  return platform::DeleteStoreFile(store_, path) == platform::FileStatus::kOk
             ? FileCheckResult::kDeleted
             : FileCheckResult::kDeleteFailed;
}

}  // namespace kv
