// The pattern engine's entry point for the scan engine.
#pragma once

namespace kv {

// Compiles `pattern` (NUL-terminated 8-bit text, may be null) with no flags
// and searches `data[0, length)` from `start`: 1 when it matches, else 0.
// Nothing survives between calls. Throws PatternEngineFailure when the search
// exceeds the engine's bounds, and std::bad_alloc when memory runs out.
int MatchPattern(const char* pattern, const char* data, int length, int start);

}  // namespace kv
