// MatchPattern, the reference entry: compile, search from `start`, answer,
// keep nothing.
#include "pattern/match_pattern.h"

#include <cstring>

#include "pattern/compiled_pattern.h"
#include "pattern/engine_failure.h"

namespace kv {

int MatchPattern(const char* pattern, const char* data, int length, int start) {
  if (pattern == nullptr) return 0;
  const CompiledPattern compiled = CompiledPattern::Compile(pattern, 0);
  const std::string_view text(data != nullptr && length > 0 ? data : "",
                              data != nullptr && length > 0 ? static_cast<std::size_t>(length) : 0);
  const SearchResult result = compiled.Search(text, start);
  if (result.Failed()) throw PatternEngineFailure(result.status);
  return result.Matched() ? 1 : 0;
}

}  // namespace kv
