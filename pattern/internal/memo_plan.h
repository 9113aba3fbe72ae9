// PlanMemo: decides, once per compiled tree, whether its searches may
// memoize and which nodes keep facts.
//
// A tree is memoizable when nothing in it lets one part of a match see what
// another part captured or how it got there: no back-reference, no
// recursion or subroutine call, no condition on a group. Then whether the
// rest of an attempt can succeed from a node depends only on the position
// and on where the node runs (match_state.h), never on the captures, and a
// failure found once is found again. Each greedy or lazy repeat and
// alternation gets a slot; a greedy repeat of a node that consumes exactly one byte is
// marked as such, since it can count its copies instead of matching them.
#pragma once

#include "pattern/internal/compiled_tree.h"

namespace kv {

void PlanMemo(CompiledTree& tree);

}  // namespace kv
