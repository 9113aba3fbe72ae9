// What a pattern is read into, which matching cannot show (what tokens
// match is pinned by conformance.txt).
//
// The token reader: which tokens are special, what is skipped, where each
// token stands, and the token window at the end. Token rows are written as
// Tokens() writes them: `!` marks a special token, \xHH a byte outside
// printable ASCII.
#include <gtest/gtest.h>

#include <string>

#include "pattern/internal/token_reader.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using namespace std::string_literals;
using testing::PatternRow;
using testing::Rows;

class TokenReader : public ::testing::TestWithParam<PatternRow> {};

TEST_P(TokenReader, ReadsTheListedTokens) {
  EXPECT_EQ(testing::Tokens(GetParam().pattern, GetParam().flags), GetParam().expected);
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
  EXPECT_EQ(testing::Positions(GetParam().pattern, GetParam().flags), GetParam().expected);
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

}  // namespace
}  // namespace kv
