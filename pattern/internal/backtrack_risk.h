// Whether one attempt of a pattern can take exponential time: a repeat
// whose sub node can itself match in several ways (`(a*)*b`,
// `(\w+\s?)+$`, `(a|aa)*c`) can split the same text among its copies in
// exponentially many ways, and recursion can re-enter without end. Such a
// pattern is not necessarily slow, but the scanner bounds each of its
// attempts, so one bad signature cannot spend a whole file's budget.
#pragma once

#include "pattern/internal/pattern_node.h"

namespace kv {

bool MayBacktrackHard(const PatternNode& top);

}  // namespace kv
