// NextCandidate: where a StartFilter (pattern_facts.h) lets the next match
// attempt begin, found with memmem or a byte table instead of trying every
// position. Shared by the searches that skip ahead with it.
#pragma once

#include <string_view>

#include "pattern/pattern_facts.h"

namespace kv {

// The first position from `from` on (up to the length of `data`) that the
// filter lets through, or length + 1 for none. Positions past the last byte
// are let through only when the filter lets every position through, since a
// match that must begin with a byte cannot begin at the end.
int NextCandidate(const StartFilter& filter, std::string_view data, int from);

}  // namespace kv
