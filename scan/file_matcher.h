// The file matcher: checks one file's whole content with every character
// signature of one database snapshot, and gives its verdict
// (signature_search.h has the rule that combines the signatures).
//
// Entry points: FileMatcher::CheckFile (a store file by device path),
// CheckOpenedFile (a file a walk opened from its listing), CheckHostFile (a
// file named on a command line), MatchSignatures (bytes in memory). Bytes
// are searched the fast way unless the matcher is made for the reference
// way, which tools offer as a yardstick. A file is read into memory while
// it is held open with no sharing, never mapped: a mapping dies with the
// process when another process truncates the file. The read buffer is kept
// from file to file. An empty file is clean; a file that is absent,
// locked, too large, not a regular file or unreadable is not checked, and
// so is every file when the snapshot holds no character signature.
//
// Nothing throws out of here: every outcome, an engine failure and an
// exhausted memory included, is a verdict. The matcher never deletes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "database/signature_database.h"
#include "pattern/cancel_token.h"
#include "platform/file_digest.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/store.h"
#include "scan/signature_search.h"
#include "scan/verdict.h"

namespace kv {

// How a matcher searches bytes.
enum class MatchPath {
  kFast,       // FastSignatureSearch
  kReference,  // MatchSignaturesByReference (ignores the cancel token)
};

// Whether a matcher keeps the digest of an infected file's bytes as it read
// them, for the move that follows to take instead of reading them again.
enum class InfectedDigest { kSkip, kKeep };

class FileMatcher {
 public:
  // `database` must outlive the matcher (a scan holds its snapshot);
  // `cancel` may be null; when it is set, a search in progress ends and the
  // file is not checked. One matcher serves one thread; several may share
  // one snapshot.
  FileMatcher(const Store& store, const SignatureDatabase& database,
              const CancelToken* cancel = nullptr, MatchPath path = MatchPath::kFast,
              InfectedDigest digests = InfectedDigest::kSkip);

  // The store file at `path`.
  Verdict CheckFile(std::u16string_view path);

  // A file the caller has opened already (with no sharing), whose open gave
  // `opened`; it is closed again before this returns. A file over
  // `maxBytes` (at most the scanned files' limit) is not checked, unread.
  Verdict CheckOpenedFile(FileStatus opened, File& file,
                          std::uint64_t maxBytes = limits::kMaxScannedFileBytes);

  // A host file named by the user (a link is followed; anything but a
  // regular file is not checked).
  Verdict CheckHostFile(const std::filesystem::path& path);

  Verdict MatchSignatures(std::string_view data);

  // The size of the file the last check read; 0 when it read none.
  std::uint64_t LastFileBytes() const { return lastBytes_; }
  // The digest of the file the last check found infected, when kept.
  const std::optional<ReadDigest>& LastInfectedDigest() const { return lastDigest_; }

 private:
  Verdict CheckOpen(FileStatus opened, File& file, std::uint64_t maxBytes);

  const Store& store_;
  const SignatureDatabase& database_;
  const CancelToken* cancel_;
  MatchPath path_;
  InfectedDigest digests_;
  FastSignatureSearch fastSearch_;
  std::string buffer_;
  std::uint64_t lastBytes_ = 0;
  std::optional<ReadDigest> lastDigest_;
};

}  // namespace kv
