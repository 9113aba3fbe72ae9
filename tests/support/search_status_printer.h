// How GoogleTest prints a SearchStatus: its phrase rather than its bytes,
// so that a failed expectation says which bound was hit.
#pragma once

#include <ostream>

#include "pattern/search_result.h"

namespace kv {

inline void PrintTo(SearchStatus status, std::ostream* out) {
  *out << DescribeSearchStatus(status);
}

}  // namespace kv
