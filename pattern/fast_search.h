// FastSearch: the search of CompiledPattern::Search, trying only the start
// positions a StartFilter lets through (found with memchr, memmem or a byte
// table instead of a full attempt at each position).
//
// Every attempt it makes is the very attempt the reference search makes at
// that position, and the positions it skips are ones where no match can
// start, so it finds the same first match with the same spans. A pattern
// with no back-reference, recursion or condition on a group is searched
// memoized: no attempt explores a state an earlier one saw fail, under a
// sanity budget above the reference's (platform/limits.h); other patterns
// get the reference's budget. Since it spends nothing on skipped positions
// and failed states, it can finish where the reference runs out of a bound,
// and its answer is then still exact. When it fails itself, the reference
// fails too: no budget given to it can be lower than the reference's.
#pragma once

#include <cstdint>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "pattern/search_result.h"

namespace kv {

// `stepBudget`, when above the reference's budget, is the search's budget
// instead; a lower one (0 included) counts as the reference's, so that the
// fast search never fails where the reference answers.
SearchResult FastSearch(const CompiledPattern& pattern, const StartFilter& filter,
                        std::string_view data, int start = 0, const CancelToken* cancel = nullptr,
                        std::uint64_t stepBudget = 0) noexcept;

}  // namespace kv
