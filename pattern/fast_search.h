// FastSearch: the search of CompiledPattern::Search, trying only the start
// positions a StartFilter lets through (found with memchr, memmem or a byte
// table instead of a full attempt at each position).
//
// Every attempt it makes is the very attempt the reference search makes at
// that position, and the positions it skips are ones where no match can
// start, so it finds the same first match with the same spans. Its step
// budget is the reference's; since it spends none on skipped positions, it
// can finish where the reference runs out of budget, and its answer is then
// still exact. When it fails itself, the reference fails too (unless an
// attempt cap is set, see below).
#pragma once

#include <cstdint>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "pattern/search_result.h"

namespace kv {

// `attemptSteps` caps the node calls of every single attempt (0: no cap): a
// pattern that backtracks exponentially at one position then fails
// (kStepBudget) there at once instead of spending the whole budget. A
// capped search may fail where the reference would still have answered.
SearchResult FastSearch(const CompiledPattern& pattern, const StartFilter& filter,
                        std::string_view data, int start = 0, const CancelToken* cancel = nullptr,
                        std::uint64_t attemptSteps = 0) noexcept;

}  // namespace kv
