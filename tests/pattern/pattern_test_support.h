// Helpers shared by the pattern engine's tests: bytes as table rows write
// them, a search on a pattern held in a std::string (so patterns and data
// may hold zero bytes, which the conformance table cannot) rendered as short
// text that a row can state, and the conformance table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv::testing {

// One pattern and what a probe of it gives: its tokens, its token
// positions, or its analyses' facts.
struct PatternRow {
  std::string pattern;
  std::string expected;
  int flags = 0;
};

// One search: pattern compiled with `flags`, `data` searched from `start`,
// and the spans as Spans() writes them.
struct SearchRow {
  std::string pattern;
  std::string data;
  std::string expected;
  int flags = 0;
  int start = 0;
};

// Bytes as the rows write them: printable ASCII as itself, the blank, the
// backslash and every other byte as \xHH.
std::string Shown(std::string_view bytes);

// The match spans as "g0=s,e g1=s,e ..." ("-" for a group that took no
// part), or "no match".
std::string Spans(const std::string& pattern, const std::string& data, int flags, int start);

// One case of tests/pattern/conformance.txt, "expected<TAB>pattern<TAB>data",
// written from the language's description alone, independently of the
// engine. In pattern and data %HH stands for one byte, so the table stays
// printable ASCII while its cases hold tabs, line breaks, zero bytes and
// bytes 0x80-0xFF; lines starting with # and blank lines are comments.
struct ConformanceRow {
  std::string where;  // "file:line: the row as written", for messages
  int expected = 0;
  std::string pattern;  // decoded
  std::string data;
};

// Every row of the table. Throws on a row it cannot take, naming it, and on
// far fewer rows than 400, so that a damaged table fails loudly instead of
// silently testing less.
std::vector<ConformanceRow> ReadConformanceTable();

}  // namespace kv::testing
