// The exception that ends a compile or search which went over one of the
// engine's bounds (see platform/limits.h). Callers treat it like exhausted
// memory: the check failed, the data is neither clean nor infected.
#pragma once

#include <stdexcept>

namespace kv {

class PatternEngineFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kv
