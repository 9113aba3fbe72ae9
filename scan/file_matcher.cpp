// The file matcher. A file is opened with no sharing and read whole into
// the matcher's buffer; it stays open (and so locked) while it is searched
// and is closed before the verdict goes back, so a caller may delete it.
#include "scan/file_matcher.h"

#include <algorithm>
#include <cerrno>

namespace kv {

FileMatcher::FileMatcher(const Store& store, const SignatureDatabase& database,
                         const CancelToken* cancel, MatchPath path, InfectedDigest digests)
    : store_(store),
      database_(database),
      cancel_(cancel),
      path_(path),
      digests_(digests),
      fastSearch_(database) {}

Verdict FileMatcher::MatchSignatures(std::string_view data) {
  if (!database_.HasCharacterSignatures())
    return Verdict::NotChecked(NotCheckedReason::kNoDatabase);
  if (path_ == MatchPath::kReference) return MatchSignaturesByReference(database_, data);
  return fastSearch_.Match(data, cancel_);
}

Verdict FileMatcher::CheckOpen(FileStatus opened, File& file, std::uint64_t maxBytes) {
  lastBytes_ = 0;
  lastDigest_.reset();
  if (opened != FileStatus::kOk) return VerdictOfOpen(opened);
  if (!database_.HasCharacterSignatures()) {
    const Result<std::uint64_t> sized = file.Size();
    if (!sized.Ok()) return Verdict::NotChecked(NotCheckedReason::kUnreadable);
    if (sized.value == 0) return Verdict::Clean();
    if (sized.value > maxBytes) return Verdict::NotChecked(NotCheckedReason::kTooLarge);
    return Verdict::NotChecked(NotCheckedReason::kNoDatabase);
  }
  // The read takes the size once and refuses a file over the limit (EFBIG)
  // unread; a buffer that cannot grow fails it as ENOMEM: unreadable too.
  const Result<std::string_view> read = file.ReadAllInto(buffer_, maxBytes);
  if (!read.Ok()) {
    return Verdict::NotChecked(read.cause == EFBIG ? NotCheckedReason::kTooLarge
                                                   : NotCheckedReason::kUnreadable);
  }
  if (read.value.empty()) return Verdict::Clean();
  lastBytes_ = read.value.size();
  const Verdict verdict = MatchSignatures(read.value);
  if (verdict.IsInfected() && digests_ == InfectedDigest::kKeep) {
    if (const Result<FileVersion> version = file.Version(); version.Ok()) {
      lastDigest_ = ReadDigest{Sha256Of(read.value), version.value};
    }
  }
  return verdict;
}

Verdict FileMatcher::CheckOpenedFile(FileStatus opened, File& file, std::uint64_t maxBytes) {
  const Verdict verdict = CheckOpen(opened, file, std::min(maxBytes, limits::kMaxScannedFileBytes));
  file = File();  // closed, and so unlocked, before any deletion
  return verdict;
}

Verdict FileMatcher::CheckFile(std::u16string_view path) {
  Result<File> opened = File::OpenForRead(store_, path, Sharing::kNone);
  return CheckOpenedFile(opened.status, opened.value);
}

Verdict FileMatcher::CheckHostFile(const std::filesystem::path& path) {
  Result<File> opened = File::OpenHostFile(path, Sharing::kNone);
  return CheckOpenedFile(opened.status, opened.value);
}

}  // namespace kv
