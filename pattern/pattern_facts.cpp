// AnalysePattern: the three analyses of the compiled tree
// (internal/start_analysis, factor_analysis, backtrack_risk) gathered into
// one PatternFacts. A pattern that failed to compile is left with no facts
// at all: it must be searched, so that its failure shows.
#include "pattern/pattern_facts.h"

#include "pattern/internal/backtrack_risk.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/factor_analysis.h"
#include "pattern/internal/start_analysis.h"

namespace kv {

PatternFacts AnalysePattern(const CompiledPattern& pattern) {
  PatternFacts facts;
  if (pattern.CompileStatus() != SearchStatus::kNoMatch) return facts;
  const CompiledTree* tree = pattern.Tree();
  if (tree == nullptr || tree->top == nullptr) {
    facts.requiredFactors = std::vector<LiteralFactor>{};  // never matches
    return facts;
  }
  facts.start = AnalyseStart(*tree);
  facts.requiredFactors = RequiredFactors(*tree->top);
  facts.mayBacktrackHard = MayBacktrackHard(*tree->top);
  return facts;
}

}  // namespace kv
