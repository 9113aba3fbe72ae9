// The POSIX class names of bracket classes (`[:alpha:]`, `[:^digit:]`) and
// their byte tests. The compiler looks names up here, and the node dump finds
// the name of a node's test here again, so a node needs to keep only the
// test itself.
#pragma once

#include <string_view>

namespace kv {

using PosixPredicate = bool (*)(int c);

// The test of the class whose keyword ("alpha:", with its colon) is a
// prefix of `name`, trying the keywords in their fixed order; null when none
// is.
PosixPredicate FindPosixPredicate(std::string_view name);

}  // namespace kv
