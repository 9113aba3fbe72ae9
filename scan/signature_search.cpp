// The reference and the fast search of all character signatures.
#include "scan/signature_search.h"

#include <new>

#include "pattern/engine_failure.h"
#include "pattern/fast_search.h"
#include "pattern/match_pattern.h"
#include "platform/limits.h"

namespace kv {
namespace {

SignatureMatch EngineFailed(SearchStatus status) {
  return {SignatureMatch::Kind::kFailed, 0, CheckFailure::kEngine, status};
}

// Failures that say the signature is costly, as opposed to a cancel or a
// compile that failed for good.
bool IsBoundExceeded(SearchStatus status) {
  return status == SearchStatus::kStepBudget || status == SearchStatus::kMemoryCap ||
         status == SearchStatus::kDepthLimit;
}

// The budget of a costly signature's search, or 0 for the reference's.
std::uint64_t StepBudget(bool mayBacktrackHard, bool strained, std::size_t bytes) {
  if (strained) return limits::kStrainedStepBase + bytes / limits::kStrainedBytesPerStep;
  if (mayBacktrackHard) return limits::kGuardedStepBase + limits::kGuardedStepsPerByte * bytes;
  return 0;
}

}  // namespace

int SignatureMatch::Code() const {
  switch (kind) {
    case Kind::kFound:
      return static_cast<int>(index + 1);
    case Kind::kFailed:
      return -1;
    case Kind::kNone:
      break;
  }
  return 0;
}

SignatureMatch MatchSignaturesByReference(const SignatureDatabase& database,
                                          std::string_view data) {
  const SignatureList& signatures = database.characterSignatures;
  for (std::size_t i = 0; i < signatures.size(); ++i) {
    try {
      if (MatchPattern(signatures[i].pattern.c_str(), data.data(), static_cast<int>(data.size()),
                       0) != 0) {
        return {SignatureMatch::Kind::kFound, i};
      }
    } catch (const PatternEngineFailure& failure) {
      return EngineFailed(failure.Status());
    } catch (const std::bad_alloc&) {
      return EngineFailed(SearchStatus::kOutOfMemory);
    }
  }
  return {};
}

FastSignatureSearch::FastSignatureSearch(const SignatureDatabase& database) : database_(database) {}

SignatureMatch FastSignatureSearch::Match(std::string_view data, const CancelToken* cancel) {
  // A cancelled check claims nothing, even where the prefilter could.
  if (cancel != nullptr && cancel->IsCancelled()) return EngineFailed(SearchStatus::kCancelled);
  const std::vector<CompiledPattern>& patterns = database_.compiledSignatures;
  // The snapshot is fixed for a scan, but a caller may refill its database
  // between checks; the strain marks follow its list.
  if (strained_.size() != patterns.size()) strained_.assign(patterns.size(), 0);
  const std::vector<PatternFacts>& facts = database_.signatureFacts;
  // A snapshot whose signatures were not analysed is searched whole.
  const bool analysed = facts.size() == patterns.size();
  const PatternFacts unknown;
  database_.prefilter.FindCandidates(data, candidates_);
  const bool filtered = analysed && candidates_.size() == patterns.size();
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    if (filtered && candidates_[i] == 0) continue;
    const PatternFacts& known = analysed ? facts[i] : unknown;
    const SearchResult result =
        FastSearch(patterns[i], known.start, data, 0, cancel,
                   StepBudget(known.mayBacktrackHard, strained_[i] != 0, data.size()));
    if (result.Matched()) return {SignatureMatch::Kind::kFound, i};
    if (result.Failed()) {
      if (IsBoundExceeded(result.status)) strained_[i] = 1;
      return EngineFailed(result.status);
    }
  }
  return {};
}

}  // namespace kv
