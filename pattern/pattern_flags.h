// The flags word of the pattern engine. The flags given to
// PatternCompiler::Compile are the starting flags; inline modifiers and
// lookaround change some of them for a part of the pattern, and every node
// keeps the flags that were in force when it was built.
#pragma once

namespace kv {

// Names keep the engine's historical PF_ spelling: the signature tools and
// tests refer to the flags by these names.
inline constexpr int PF_SINGLE_LINE = 1;     // `.` also matches 0x0A
inline constexpr int PF_MULTI_LINE = 2;      // `^` and `$` also match at line breaks
inline constexpr int PF_SEARCH_START = 4;    // `\G` is the search-start anchor
inline constexpr int PF_IGNORE_CASE = 8;     // literals, back-references, classes ignore case
inline constexpr int PF_RIGHT_TO_LEFT = 16;  // nodes consume text leftwards
inline constexpr int PF_EXTENDED = 32;       // white space and `#` comments are skipped

}  // namespace kv
