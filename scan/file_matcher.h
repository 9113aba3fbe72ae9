// The file matcher: decides whether one file is a Trojan by searching its
// whole content with every character signature of one database snapshot,
// in list order; the first hit decides.
//
// Entry points: FileMatcher::CheckFile (with optional deletion; and
// CheckOpenedFile, for a file a walk opened), FindMatchingSignature (which
// signature), MatchSignatures (bytes in memory), MatchHostFile (a file
// named on a command line). Bytes are searched the fast way
// (signature_search.h) unless the matcher is made for the reference way,
// which tools offer as a yardstick. A file is read into memory while it is
// held open with no sharing, never mapped: a mapping dies with the process
// when another process truncates the file. The read buffer is kept from
// file to file.
//
// Nothing throws out of here: every outcome, an engine failure included, is
// a result value, so a scan thread can never be ended by one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/search_result.h"
#include "platform/files.h"
#include "platform/store.h"
#include "scan/signature_database.h"
#include "scan/signature_search.h"

namespace kv {

// The result of CheckFile, with the handset's values.
enum class FileCheckResult : int {
  kClean = 0,         // no signature found; or absent from its folder; or empty
  kDeleted = 1,       // found and deleted
  kFound = 2,         // found, deletion not asked for
  kDeleteFailed = 3,  // found, deletion asked for and failed
  kUnreadable = -1,   // cannot be opened (other than absent) or read, or the engine failed
};

// How a matcher searches bytes.
enum class MatchPath {
  kFast,       // FastSignatureSearch
  kReference,  // MatchSignaturesByReference (ignores the cancel token)
};

class FileMatcher {
 public:
  // `database` must outlive the matcher (a scan holds its snapshot);
  // `cancel` may be null; when it is set, a search in progress fails. One
  // matcher serves one thread; several may share one snapshot.
  FileMatcher(const platform::Store& store, const SignatureDatabase& database,
              const CancelToken* cancel = nullptr, MatchPath path = MatchPath::kFast);

  // Checks the store file at `path` and deletes it on a hit when asked.
  FileCheckResult CheckFile(std::u16string_view path, bool deleteOnMatch);

  // As CheckFile, for the file at `path` that the caller has opened already
  // (with no sharing) and whose open gave `opened`: a walk opens what it
  // lists from the folder it holds open. `file` is closed before any
  // deletion, which goes by `path`.
  FileCheckResult CheckOpenedFile(std::u16string_view path, platform::FileStatus opened,
                                  platform::File& file, bool deleteOnMatch);

  // Which signature the store file at `path` matches; an absent or empty
  // file matches none. Never deletes.
  SignatureMatch FindMatchingSignature(std::u16string_view path);

  // As FindMatchingSignature, for a host file named by the user (a link is
  // followed; anything but a regular file is a failure to open).
  SignatureMatch MatchHostFile(const std::filesystem::path& path);

  // Which signature the bytes match. Empty bytes are searched like any
  // others (the file checks above never search an empty file).
  SignatureMatch MatchSignatures(std::string_view data);

 private:
  SignatureMatch MatchOpenFile(platform::FileStatus opened, platform::File& file);
  FileCheckResult Conclude(std::u16string_view path, const SignatureMatch& match,
                           bool deleteOnMatch);

  const platform::Store& store_;
  const SignatureDatabase& database_;
  const CancelToken* cancel_;
  MatchPath path_;
  FastSignatureSearch fastSearch_;
  std::string buffer_;
};

}  // namespace kv
