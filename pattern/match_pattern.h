// The pattern engine's reference entry, exactly as the scanner first used
// it: compile the pattern text afresh, search, answer, keep nothing.
#pragma once

namespace kv {

// Compiles `pattern` (NUL-terminated 8-bit text, may be null: never
// matches) with no flags and searches `data[0, length)` from `start`: 1 when
// it matches, else 0. Throws PatternEngineFailure when the compile or the
// search exceeds the engine's bounds (its Status() says which).
int MatchPattern(const char* pattern, const char* data, int length, int start);

}  // namespace kv
