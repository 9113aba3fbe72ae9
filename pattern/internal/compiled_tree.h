// CompiledTree: what a compile leaves behind, owned by one CompiledPattern.
// The nodes point at each other freely (shared stock nodes, recursion
// targets); only this list owns them, so the tree moves as one block and
// is destroyed as one.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/internal/pattern_node.h"

namespace kv {

struct CompiledTree {
  std::vector<std::unique_ptr<PatternNode>> nodes;
  const PatternNode* top = nullptr;
  int flags = 0;
  int highestGroup = 0;
  std::optional<BracketSlip> bracketSlip;  // the leftmost one
  // Set by PlanMemo (memo_plan.h): whether searches may memoize, and how
  // many nodes have a memo slot.
  bool memoizable = false;
  int memoSlots = 0;
};

}  // namespace kv
