// Helpers shared by the pattern engine's tests: run the token reader, the
// compiler or a search on a pattern held in a std::string (so patterns and
// data may hold zero bytes, which the conformance table cannot), and render
// the result as short text that a table row can state; and read the
// conformance table.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kv::testing {

// One pattern and what a probe of it gives: its tokens, its token
// positions, or its compiled tree.
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

// How gtest prints a row, and so how ctest lists it: the pattern (and the
// data) with bytes outside printable ASCII as \xHH, the flags and start.
void PrintTo(const PatternRow& row, std::ostream* out);
void PrintTo(const SearchRow& row, std::ostream* out);

// The parameters of an INSTANTIATE_TEST_SUITE_P, from rows written in place.
inline auto Rows(const std::vector<PatternRow>& rows) { return ::testing::ValuesIn(rows); }
inline auto Searches(const std::vector<SearchRow>& rows) { return ::testing::ValuesIn(rows); }

// Bytes as the rows write them: printable ASCII as itself, the blank, the
// backslash and every other byte as \xHH.
std::string Shown(std::string_view bytes);

// The tokens up to the end token, separated by blanks: a special token is
// written with a leading `!`, bytes outside printable ASCII (and the blank)
// as \xHH.
std::string Tokens(const std::string& pattern, int flags);

// Each token's "pos+len", the end token's included.
std::string Positions(const std::string& pattern, int flags);

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
