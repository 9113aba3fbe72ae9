// CompiledPattern: one signature pattern compiled once, searched any number
// of times, from any number of threads at once.
//
// Entry points: Compile (text -> pattern), Search (pattern + bytes ->
// SearchResult). The compiled tree is immutable: everything a search
// changes lives in that search's own state, so sharing one CompiledPattern
// between threads needs no lock. Compilation never fails on syntax (what
// the compiler does not recognise becomes literal text or an empty node);
// it fails only when groups nest deeper than the engine allows, and such a
// pattern is kept as failed: every search of it reports that failure.
//
// Searches are bounded: a step budget, a cap on the backtracking stacks and
// a nesting depth (platform/limits.h), and a cancel token. Nothing throws
// out of Search; a bound exceeded is a failed SearchResult.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/search_result.h"

namespace kv {

struct CompiledTree;

// A bracket the compiler let pass (it never fails on syntax): a `(` or `[`
// left open, or a `)` that closes nothing and so ends the pattern early.
// For tools that lint patterns; searching ignores it.
struct BracketSlip {
  char bracket = 0;  // '(', '[' or ')'
  int position = 0;  // index of the bracket in the pattern text
};

class CompiledPattern {
 public:
  // A pattern that never matches (as a null pattern text).
  CompiledPattern();
  CompiledPattern(CompiledPattern&&) noexcept;
  CompiledPattern& operator=(CompiledPattern&&) noexcept;
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;
  ~CompiledPattern();

  // Compiles `pattern` (all of it, zero bytes included) under `flags`
  // (PF_* of pattern_flags.h).
  static CompiledPattern Compile(std::string_view pattern, int flags = 0);

  // Searches `data` from `start`, trying every position in turn (leftwards
  // under PF_RIGHT_TO_LEFT); a negative `start` means the natural first
  // position. `cancel` may be null.
  SearchResult Search(std::string_view data, int start = 0,
                      const CancelToken* cancel = nullptr) const noexcept;

  // kNoMatch when compiled, else why compiling failed.
  SearchStatus CompileStatus() const { return compileStatus_; }

  // The leftmost bracket slip of the compile, if any.
  std::optional<BracketSlip> FirstBracketSlip() const;

  int Flags() const;
  int HighestGroup() const;

  // The tree itself, for the engine's own analyses (null when nothing is
  // compiled); its types are internal to the pattern engine.
  const CompiledTree* Tree() const { return tree_.get(); }

 private:
  std::unique_ptr<const CompiledTree> tree_;
  SearchStatus compileStatus_ = SearchStatus::kNoMatch;
};

}  // namespace kv
