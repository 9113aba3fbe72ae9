// Searching bytes with every character signature of a snapshot, in list
// order: the two ways the scanner can do it, with one rule for the verdict.
//
// - MatchSignaturesByReference: the plain way, kept as the yardstick:
//   MatchPattern for each signature (compiled anew, every start position
//   tried), as the handset did.
// - FastSignatureSearch: the snapshot's literal prefilter picks the
//   signatures that may match; only those are searched, in list order: a
//   purely regular signature by its automaton (ExistenceSearch, one linear
//   pass), any other with FastSearch and its start filter. Where the
//   reference would fail on an engine bound it may answer what it can prove
//   (a signature whose literals are absent cannot match, an automaton needs
//   no budget).
//
// The verdict (SignatureVerdicts): the first signature in list order that
// answers "found" makes the bytes infected. A signature whose search fails
// on a bound does not end the check: the remaining signatures are still
// tried, so a costly signature listed first cannot shield a file from a
// later one. Only when none is found and one failed are the bytes not
// checked. A cancel ends the check at once, not checked. No state is kept
// from one search to the next, so a file's verdict depends only on its
// bytes and the snapshot, never on the files searched before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "database/signature_database.h"
#include "pattern/cancel_token.h"
#include "pattern/existence_search.h"
#include "pattern/search_result.h"
#include "scan/verdict.h"

namespace kv {

// Folds the answers of the signatures, in list order, into a verdict.
class SignatureVerdicts {
 public:
  // Takes the answer of signature `index`; true when the verdict is settled
  // and no further signature need be searched.
  bool Take(std::size_t index, SearchStatus status);
  Verdict Result() const;

 private:
  Verdict settled_;
  bool done_ = false;
  bool failed_ = false;
  SearchStatus firstFailure_ = SearchStatus::kNoMatch;
};

Verdict MatchSignaturesByReference(const SignatureDatabase& database, std::string_view data);

class FastSignatureSearch {
 public:
  // `database` must outlive this object. Its working memory (candidate
  // marks, the automata and their caches) belongs to one thread.
  explicit FastSignatureSearch(const SignatureDatabase& database);

  Verdict Match(std::string_view data, const CancelToken* cancel);

 private:
  SearchStatus Search(std::size_t index, std::string_view data, const CancelToken* cancel);
  // Signature `index`'s automaton, built on its first search (start-up
  // stays cheap); null when the signature is not purely regular.
  ExistenceSearch* Automaton(std::size_t index);

  const SignatureDatabase& database_;
  std::vector<std::uint8_t> candidates_;
  std::vector<std::unique_ptr<ExistenceSearch>> automata_;
  std::vector<std::uint8_t> automatonBuilt_;
};

}  // namespace kv
