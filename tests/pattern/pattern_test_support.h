// Helpers shared by the pattern engine's tests: run the token reader, the
// compiler and the search on a pattern given as std::string (so patterns and
// data may hold zero bytes), and render the results as short text that table
// rows can state.
#pragma once

#include <string>

namespace kv::test {

// The tokens of `pattern` up to the end token, separated by blanks: a
// special token is written with a leading `!`, bytes outside printable ASCII
// (and the blank) as \xHH.
std::string Tokens(const std::string& pattern, int flags = 0);

// The compiler's Dump of `pattern`.
std::string Compiled(const std::string& pattern, int flags = 0);

// 1 when `pattern` compiled with `flags` matches `data` searched from
// `start`, else 0.
int Matches(const std::string& pattern, const std::string& data, int flags = 0, int start = 0);

// The match spans as "g0=s,e g1=s,e ..." ("-" for a group that took no
// part), or "no match".
std::string Spans(const std::string& pattern, const std::string& data, int flags = 0,
                  int start = 0);

}  // namespace kv::test
