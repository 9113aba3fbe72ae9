// The exception that ends a compile or search which went over one of the
// engine's bounds (see platform/limits.h) or was cancelled. Inside the
// engine it unwinds the node calls; CompiledPattern turns it into a
// SearchStatus, and only MatchPattern, the reference entry, lets it reach
// its caller.
#pragma once

#include <stdexcept>

#include "pattern/search_result.h"

namespace kv {

class PatternEngineFailure : public std::runtime_error {
 public:
  explicit PatternEngineFailure(SearchStatus status)
      : std::runtime_error(DescribeSearchStatus(status)), status_(status) {}

  SearchStatus Status() const { return status_; }

 private:
  SearchStatus status_;
};

}  // namespace kv
