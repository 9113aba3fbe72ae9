// FastSearch: the search of CompiledPattern::Search, trying only the start
// positions a StartFilter lets through (found with memchr, memmem or a byte
// table instead of a full attempt at each position).
//
// Every attempt it makes is the very attempt the reference search makes at
// that position, and the positions it skips are ones where no match can
// start, so it finds the same first match with the same spans. Its step
// budget is the reference's; since it spends none on skipped positions, it
// can finish where the reference runs out of budget, and its answer is then
// still exact. When it fails itself, the reference fails too (unless a
// lower budget is given, see below).
#pragma once

#include <cstdint>
#include <string_view>

#include "pattern/cancel_token.h"
#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "pattern/search_result.h"

namespace kv {

// `stepBudget`, when not 0 and below the reference's budget, is the search's
// budget instead: a costly pattern then fails (kStepBudget) early instead
// of spending the whole budget. Such a search may fail where the reference
// would still have answered; it never answers otherwise than it.
SearchResult FastSearch(const CompiledPattern& pattern, const StartFilter& filter,
                        std::string_view data, int start = 0, const CancelToken* cancel = nullptr,
                        std::uint64_t stepBudget = 0) noexcept;

}  // namespace kv
