// Unit tables of the pattern analyses: for each construct, the start filter
// it yields (every position, a prefix, or the set of first bytes), the
// required literal factors ("none" where the analysis must not bound them)
// and whether it is searched with a smaller budget as possibly hard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv::testing {
namespace {

// A byte as the tables write it (Shown).
std::string ByteText(int value) { return Shown(std::string(1, static_cast<char>(value))); }

// "every", "prefix:TEXT" ("prefix:TEXT@N" when N bytes come before it) or
// "bytes:a-c,x" (runs of bytes as ranges).
std::string StartText(const StartFilter& filter) {
  if (filter.kind == StartFilter::Kind::kEveryPosition) return "every";
  if (filter.kind == StartFilter::Kind::kPrefix) {
    return "prefix:" + Shown(filter.prefix) +
           (filter.prefixOffset != 0 ? "@" + std::to_string(filter.prefixOffset) : "");
  }
  std::string text = "bytes:";
  for (int value = 0; value < 256; ++value) {
    if (!filter.firstBytes[value]) continue;
    int last = value;
    while (last + 1 < 256 && filter.firstBytes[last + 1]) ++last;
    if (text.size() > 6) text += ',';
    text += ByteText(value);
    if (last > value) text += "-" + ByteText(last);
    value = last;
  }
  return text;
}

// "none", or the factors as "{abc,i:def}" (i: caseless).
std::string FactorText(const PatternFacts& facts) {
  if (!facts.requiredFactors.has_value()) return "none";
  std::string text = "{";
  for (const LiteralFactor& factor : *facts.requiredFactors) {
    if (text.size() > 1) text += ',';
    if (factor.caseless) text += "i:";
    text += Shown(factor.bytes);
  }
  return text + "}";
}

// Analyses each row's pattern, compiled with the row's flags, and gives
// `probe`'s text of the facts.
template <typename Probe>
void ExpectRows(Probe probe, const std::vector<PatternRow>& rows) {
  for (const PatternRow& row : rows) {
    EXPECT_EQ(probe(AnalysePattern(CompiledPattern::Compile(row.pattern, row.flags))), row.expected)
        << Shown(row.pattern) << " flags " << row.flags;
  }
}

// clang-format off
TEST(StartFilterTable, YieldsTheListedFilter) {
  ExpectRows([](const PatternFacts& facts) { return StartText(facts.start); }, {
    {"abc", "prefix:abc"}, {"(ab)c", "prefix:abc"}, {"\\bword", "prefix:word"},
    {"(?<=x)ab", "prefix:ab"}, {"abc|abd", "prefix:a"}, {"ab|cd", "bytes:a,c"},
    {"(?i)ab", "bytes:A,a"}, {"(?i)\\xe9b", "prefix:\\xe9"},
    {"([a-z]{3})token\\1", "prefix:token@3"}, {"(?i:ab)\\x00cde", "prefix:\\x00cde@2"},
    {"\\d{2}xyz", "prefix:xyz@2"}, {"\\d{2}xy", "bytes:0-9"}, {"a+xyz", "prefix:a"},
    {"[ab]{2,}xyz", "bytes:a-b"}, {"[\\x00-\\xff]", "bytes:"},
    {"[:^digit:]", "bytes:\\x00-/,:-\\xff"}, {"a*b", "bytes:a-b"}, {"(?>ab|c)d", "bytes:a,c"},
    {"(a)?(?(1)b|c)", "bytes:a-c"}, {".x", "bytes:\\x00-\\x09,\\x0b-\\xff"}, {"(?s).x", "every"},
    {"", "every"}, {"\\1a", "every"}, {"(?R)?a", "every"}, {"abc", "every", PF_RIGHT_TO_LEFT},
});
}

TEST(FactorTable, YieldsTheListedFactors) {
  ExpectRows(FactorText, {
    {"abc", "{abc}"}, {"(?i)Trojan", "{i:trojan}"}, {"(?i)12", "{12}"}, {"foo.*bar", "{foo}"},
    {"fo.*barbaz", "{barbaz}"}, {"(foo|bar)baz", "{foobaz,barbaz}"}, {"foo|b", "{foo,b}"},
    {"foo|.", "none"}, {"ab?c", "{ac,abc}"}, {"x[ab]y", "{xay,xby}"}, {"x[aA]y", "{i:xay}"},
    {"(ab){2,}", "{abab}"}, {"a{0,3}", "none"}, {"(?=needle).", "{needle}"},
    {"(?<=MZ)\\x90", "{MZ}"}, {"(?!virus)clean", "{clean}"}, {"(\\w+)\\1", "none"},
    {"(a)(?R)?", "{a}"}, {"(a)?(?(1)bc|de)", "{bc,de}"}, {"(?>abc|d)", "{abc,d}"},
    {"a[\\x00-\\xff]b", "{}"}, {"", "none"},
});
}

TEST(BacktrackRiskTable, FlagsExactlyTheRepeatsOfAmbiguousParts) {
  ExpectRows([](const PatternFacts& f) { return f.mayBacktrackHard ? "guarded" : "free"; }, {
    {"(a*)*b", "guarded"}, {"(a|aa)*c", "guarded"}, {"(?R)", "guarded"}, {"x(a|b)?", "free"},
    {"(ab)+", "free"}, {"(a*)*+b", "free"}, {"(?>a*)*b", "free"},
});
}
// clang-format on

}  // namespace
}  // namespace kv::testing
