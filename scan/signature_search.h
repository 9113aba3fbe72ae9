// Searching bytes with every character signature of a snapshot, in list
// order, the first hit deciding: the two ways the scanner can do it.
//
// - MatchSignaturesByReference: the plain way, kept as the yardstick:
//   MatchPattern for each signature (compiled anew, every start position
//   tried), exactly as the handset did.
// - FastSignatureSearch: the snapshot's literal prefilter picks the
//   signatures that may match; only those are searched, in list order, each
//   with FastSearch and its start filter. It gives the reference's answer,
//   except where the reference would fail on an engine bound: there it may
//   answer what it can prove (a signature whose literals are absent cannot
//   match; a search that skipped only impossible positions is complete).
//   It never reports a failure as clean.
//
// Hostile signatures: a signature that may backtrack hard is searched with a
// smaller step budget than the reference's, and one that went over an
// engine bound once in this search object's life (one scan) with a much
// smaller one from then on (platform/limits.h). One bad signature then
// costs about a millisecond per file instead of its whole budget; a file on
// which it needs more fails (-1), never "clean".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pattern/cancel_token.h"
#include "pattern/search_result.h"
#include "scan/signature_database.h"

namespace kv {

// Why a file could not be checked.
enum class CheckFailure {
  kNone,
  kOpen,      // it could not be opened: a missing folder, a lock, not a regular file
  kRead,      // it could not be sized or read whole (it shrank, or the host failed)
  kTooLarge,  // larger than limits::kMaxScannedFileBytes
  kEngine,    // a search failed; `engineStatus` says how
};

// Which character signature a file or buffer matches.
struct SignatureMatch {
  enum class Kind { kNone, kFound, kFailed };
  Kind kind = Kind::kNone;
  std::size_t index = 0;  // kFound: position in characterSignatures
  CheckFailure failure = CheckFailure::kNone;
  SearchStatus engineStatus = SearchStatus::kNoMatch;

  // The handset's answer: position + 1 when found, 0 for none, -1 on failure.
  int Code() const;
};

SignatureMatch MatchSignaturesByReference(const SignatureDatabase& database, std::string_view data);

class FastSignatureSearch {
 public:
  // `database` must outlive this object. Its working memory (candidate and
  // strain marks) belongs to one thread.
  explicit FastSignatureSearch(const SignatureDatabase& database);

  SignatureMatch Match(std::string_view data, const CancelToken* cancel);

  // Whether signature `index` has gone over an engine bound in this search
  // object's life (its budget is small from then on).
  bool Strained(std::size_t index) const {
    return index < strained_.size() && strained_[index] != 0;
  }

 private:
  const SignatureDatabase& database_;
  std::vector<std::uint8_t> candidates_;
  std::vector<std::uint8_t> strained_;
};

}  // namespace kv
