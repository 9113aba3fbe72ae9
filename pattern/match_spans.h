// MatchSpans: the answer of a search. Empty when the pattern did not match;
// otherwise 2 * H + 4 ints, H being the highest group number: element 0 is
// 1, element 1 is H, then for each group g from 0 to H its start and end at
// 2 + 2g and 3 + 2g (smaller position first), or -1, -1 when g took no part.
#pragma once

#include <vector>

namespace kv {

using MatchSpans = std::vector<int>;

inline int IsMatched(const MatchSpans& spans) { return spans.empty() ? 0 : spans[0]; }

}  // namespace kv
