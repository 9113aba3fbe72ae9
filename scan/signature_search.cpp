// The reference and the fast search of all character signatures, and the
// rule that turns their answers into a verdict.
#include "scan/signature_search.h"

#include <new>
#include <optional>

#include "pattern/engine_failure.h"
#include "pattern/fast_search.h"
#include "pattern/match_pattern.h"
#include "platform/limits.h"

namespace kv {
namespace {

// The budget of a signature's search: the reference's, whatever its shape.
// A smaller one would fail searches the reference completes; FastSearch
// never goes below the reference's budget anyway.
std::uint64_t StepBudget(std::size_t bytes) {
  return limits::kPatternStepBase + limits::kPatternStepsPerByte * (bytes + 1);
}

}  // namespace

bool SignatureVerdicts::Take(std::size_t index, SearchStatus status) {
  if (done_) return true;
  switch (status) {
    case SearchStatus::kMatch:
      settled_ = Verdict::Infected(index);
      done_ = true;
      break;
    case SearchStatus::kNoMatch:
      break;
    case SearchStatus::kCancelled:
      settled_ = Verdict::NotChecked(NotCheckedReason::kCancelled, status);
      done_ = true;
      break;
    default:
      if (!failed_) firstFailure_ = status;
      failed_ = true;
      break;
  }
  return done_;
}

Verdict SignatureVerdicts::Result() const {
  if (done_) return settled_;
  if (failed_) return Verdict::NotChecked(NotCheckedReason::kEngineBound, firstFailure_);
  return Verdict::Clean();
}

Verdict MatchSignaturesByReference(const SignatureDatabase& database, std::string_view data) {
  const SignatureList& signatures = database.CharacterSignatures();
  SignatureVerdicts verdicts;
  for (std::size_t i = 0; i < signatures.size(); ++i) {
    SearchStatus status = SearchStatus::kNoMatch;
    try {
      if (MatchPattern(signatures[i].pattern.c_str(), data.data(), static_cast<int>(data.size()),
                       0) != 0) {
        status = SearchStatus::kMatch;
      }
    } catch (const PatternEngineFailure& failure) {
      status = failure.Status();
    } catch (const std::bad_alloc&) {
      status = SearchStatus::kOutOfMemory;
    }
    if (verdicts.Take(i, status)) break;
  }
  return verdicts.Result();
}

FastSignatureSearch::FastSignatureSearch(const SignatureDatabase& database)
    : database_(database),
      automata_(database.CompiledSignatures().size()),
      automatonBuilt_(database.CompiledSignatures().size(), 0) {}

ExistenceSearch* FastSignatureSearch::Automaton(std::size_t index) {
  if (automatonBuilt_[index] == 0) {
    automata_[index] = ExistenceSearch::For(database_.CompiledSignatures()[index]);
    automatonBuilt_[index] = 1;
  }
  return automata_[index].get();
}

SearchStatus FastSignatureSearch::Search(std::size_t index, std::string_view data,
                                         const CancelToken* cancel) {
  const StartFilter& filter = database_.SignatureFacts()[index].start;
  if (ExistenceSearch* automaton = Automaton(index)) {
    if (const std::optional<SearchStatus> status = automaton->Find(data, filter, cancel)) {
      return *status;
    }
  }
  return FastSearch(database_.CompiledSignatures()[index], filter, data, 0, cancel,
                    StepBudget(data.size()))
      .status;
}

Verdict FastSignatureSearch::Match(std::string_view data, const CancelToken* cancel) {
  // A cancelled check claims nothing, even where the prefilter could.
  if (cancel != nullptr && cancel->IsCancelled()) {
    return Verdict::NotChecked(NotCheckedReason::kCancelled, SearchStatus::kCancelled);
  }
  database_.Prefilter().FindCandidates(data, candidates_);
  SignatureVerdicts verdicts;
  for (std::size_t i = 0; i < candidates_.size(); ++i) {
    if (candidates_[i] == 0) continue;
    if (verdicts.Take(i, Search(i, data, cancel))) break;
  }
  return verdicts.Result();
}

}  // namespace kv
