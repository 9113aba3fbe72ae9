// LiteralPrefilter: one pass over a buffer with the required literals of
// every character signature at once, telling which signatures may match.
//
// Built once per database load from the signatures' PatternFacts and kept in
// the snapshot, read-only; each scanning thread brings its own Scratch. A
// signature whose literals occur nowhere in the buffer cannot match it and
// is not searched; a signature with no literals (the analysis could not
// tell) is always a candidate. The multi-literal search is Hyperscan's
// literal mode, made for exactly this; when it is not available (a
// processor it does not support, a failed build) every signature is a
// candidate and the answers stay the same, only slower.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "pattern/pattern_facts.h"

struct hs_database;
struct hs_scratch;

namespace kv {

class LiteralPrefilter {
 public:
  // Per-thread working memory of the scan; empty until first used.
  class Scratch {
   public:
    Scratch();
    Scratch(Scratch&&) noexcept;
    Scratch& operator=(Scratch&&) noexcept;
    ~Scratch();

   private:
    friend class LiteralPrefilter;
    struct Free {
      void operator()(hs_scratch* scratch) const;
    };
    std::unique_ptr<hs_scratch, Free> scratch_;
  };

  // A prefilter that makes every signature a candidate.
  LiteralPrefilter() = default;

  // For the signatures whose facts are `facts`, in list order.
  static LiteralPrefilter Build(const std::vector<PatternFacts>& facts);

  // Whether the literal search is in use (false: every signature runs).
  bool Active() const { return database_ != nullptr; }

  // Sets `candidates[i]` to 1 for each signature i that may match `data`,
  // 0 for the others. False when the literal search failed; `candidates`
  // then marks every signature.
  bool FindCandidates(std::string_view data, Scratch& scratch,
                      std::vector<std::uint8_t>& candidates) const;

 private:
  std::shared_ptr<const hs_database> database_;
  std::vector<std::uint8_t> alwaysCandidate_;  // 1: no literals known
};

}  // namespace kv
