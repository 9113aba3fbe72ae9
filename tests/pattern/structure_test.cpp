// What a pattern is read and built into, which matching cannot show (what
// tokens and trees match is pinned by conformance.txt).
//
// The token reader: which tokens are special, what is skipped, where each
// token stands, and the token window at the end. Token rows are written as
// Tokens() writes them: `!` marks a special token, \xHH a byte outside
// printable ASCII.
//
// The compiler, through Dump(): stock class contents, class widening, the
// flags each node records, and group numbers and names resolved after the
// build; how nodes nest is left to the matching rows. The dump names node kinds (Seq, Alt, Lit,
// Class, Greedy, ...), `/r` right-to-left, `/i` ignore case, and group marks as OpenN/CloseN.
#include <gtest/gtest.h>

#include <string>

#include "pattern/compiled_pattern.h"
#include "pattern/internal/compiler.h"
#include "pattern/internal/token_reader.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using namespace std::string_literals;
using test::PatternRow;
using test::Rows;

class TokenReader : public ::testing::TestWithParam<PatternRow> {};

TEST_P(TokenReader, ReadsTheListedTokens) {
  EXPECT_EQ(test::Tokens(GetParam().pattern, GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(MetacharactersAreSpecialOnlyInTheirContext, TokenReader,
                         Rows({{"*+?.{})|$(", "!* !+ !? !. !{ !} !) !| !$ !("},
                               {"[*+?.{})|$(]", "![ * + ? . { } ) | $ ( !]"},
                               {"a]:-", "a ] : -"},
                               {"[a-z]", "![ a !- z !]"},
                               {"[[:digit:]]", "![ ![ !: d i g i t : !] !]"},
                               {"[]a]", "![ !] a ]"},
                               {"^[^a^]", "!^ ![ !^ a ^ !]"}}));

INSTANTIATE_TEST_SUITE_P(ClassAndAnchorEscapesAreSpecialOthersOrdinary, TokenReader,
                         Rows({{"\\d\\D\\w\\W\\s\\S", "!d !D !w !W !s !S"},
                               {"\\A\\z\\Z\\b\\B\\G\\k\\g", "!A !z !Z !b !B !G !k !g"},
                               {"[\\d\\A\\b\\Gx]", "![ !d !A \\x08 x !]"},
                               {"\\12a", "!\\x5c 1 2 a"},
                               {"a\0\x01\x08\x80\xe9\xff"s,
                                "a \\x00 \\x01 \\x08 \\x80 \\xe9 \\xff"}}));

INSTANTIATE_TEST_SUITE_P(QuotesCommentsAndExtendedLayoutAreDropped, TokenReader,
                         Rows({{"\\Qa.[\\E.[a]", "a . [ !. ![ a !]"},
                               // Bytes 0x80-0xFF have no case to convert.
                               {"\\LA\\E\\Ua\xe9\\Eb", "a A \\xe9 b"},
                               {"a(?#x)[(?#y)](?#z", "a ![ !]"},
                               {"a b\t\nc#x\rd#y\ne#z", "a b c d e", PF_EXTENDED},
                               {"\\ [ a]\\Qb c\\E", "\\x20 ![ a !] b \\x20 c", PF_EXTENDED}}));

class TokenPositions : public ::testing::TestWithParam<PatternRow> {};

TEST_P(TokenPositions, GiveEachTokensStartAndLength) {
  EXPECT_EQ(test::Positions(GetParam().pattern, GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(EscapesCommentsAndQuotes, TokenPositions,
                         Rows({{"\\x41\\x4g\\x{ff}\\u0142\\1",
                                "0+4 4+3 7+1 8+6 14+6 20+1 21+1 22+0"},
                               {"a\\d(?#c)b\\Qc\\Ed\\", "0+1 1+2 8+1 11+1 14+1 15+1 16+0"},
                               {"\\x{41", "0+5 5+0"},
                               {"", "0+0"}}));

TEST(TokenWindow, ReadingPastTheEndGivesEndTokensForEver) {
  PatternTokenReader reader;
  reader.Start("ab", 2, 0);
  EXPECT_EQ(reader.Ahead(), (PatternToken{0, 1, 2, 0}));
  for (int i = 0; i < 5; ++i) reader.Advance();
  EXPECT_TRUE(IsEnd(reader.Curr()) && IsEnd(reader.Next()) && IsEnd(reader.Ahead()));
  EXPECT_EQ(reader.Curr().pos, 2);
}

class Compiler : public ::testing::TestWithParam<PatternRow> {};

TEST_P(Compiler, BuildsTheListedTree) {
  EXPECT_EQ(test::Compiled(GetParam().pattern, GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ClassEscapesAreStockClasses, Compiler,
                         Rows({{".", "Class^[\\x0a]"},
                               {".", "Class^[]", PF_SINGLE_LINE},
                               {"\\w", "Class[A-Z a-z 0-9 _]"},
                               {"\\S", "Class^[\\x20 \\x09 \\x0d \\x0a]"},
                               {"(?<=\\s)",
                                "Look(Class/r[\\x20 \\x09 \\x0d \\x0a \\x0c \\x0b])"}}));

INSTANTIATE_TEST_SUITE_P(BracketClassesAndIgnoreCaseWideningThem, Compiler,
                         Rows({{"[^a-z_]", "Class^[a-z _]"},
                               {"[\\d.]", "Class[. Class[0-9]]"},
                               {"[[:alpha:]_]", "Class[_ Posix[:alpha:]]"},
                               {"(?i)[Ab]", "Seq[Empty Class[A b a B]]"},
                               {"(?i)[X-c]", "Seq[Empty Class[X-c x-z A-C]]"},
                               {"[a1]", "Class[a 1 A]", PF_IGNORE_CASE}}));

INSTANTIATE_TEST_SUITE_P(
    NodesRecordTheFlagsInForceWhereTheyAreBuilt, Compiler,
    Rows({{"(?i)abc|def", "Alt[Seq[Empty Lit/i\"abc\"] Lit/i\"def\"]"},
          {"(?-i)a", "Seq[Empty Lit\"a\"]", PF_IGNORE_CASE},
          {"a(b)", "Seq/r[Lit/r\"a\" Seq/r[Close1 Lit/r\"b\" Open1]]", PF_RIGHT_TO_LEFT},
          {"^$\\A\\z\\Z\\b\\B\\G",
           "Seq[TextStart TextEnd TextStart TextEnd TextEndOrFinalBreak WordEdge !WordEdge Empty]"},
          {"^$\\G", "Seq[LineStart LineEnd SearchStart]", PF_MULTI_LINE | PF_SEARCH_START}}));

INSTANTIATE_TEST_SUITE_P(
    NamesAndNumbersResolveAfterTheBuild, Compiler,
    Rows({{"\\k<n>", "Backref(-3<n>)"},
          {"\\k<n>(?<n>a)", "Seq[Backref(1<n>) Seq[Open1<n> Lit\"a\" Close1]]"},
          {"(a)(?1)", "Seq[Seq[Open1 Lit\"a\" Close1] Recurse(1)]"},
          {"(?(1)a|b|c)", "Cond(1 Lit\"a\" Alt[Lit\"b\" Lit\"c\"])"},
          {"(?<n>a)(?(n)b)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Cond(1<n> Lit\"b\" -)]"}}));

TEST(CompiledPattern, MovesWithItsTreeAndTheDefaultMatchesNothing) {
  CompiledPattern moved = CompiledPattern::Compile("(?<n>a)(b)", PF_IGNORE_CASE);
  const CompiledPattern compiled = std::move(moved);
  EXPECT_EQ(compiled.Dump(), "Seq[Seq[Open2<n> Lit/i\"a\" Close2] Seq[Open1 Lit/i\"b\" Close1]]");
  EXPECT_EQ(compiled.HighestGroup(), 2);
  EXPECT_EQ(compiled.Flags(), PF_IGNORE_CASE);
  EXPECT_TRUE(compiled.Search("xAb").Matched());
  const CompiledPattern nothing;
  EXPECT_EQ(nothing.Dump(), "");
  EXPECT_EQ(nothing.Search("").status, SearchStatus::kNoMatch);
}

}  // namespace
}  // namespace kv
