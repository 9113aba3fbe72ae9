// The token reader: pattern -> token list, token positions and lengths, and
// ReadHex. Rows state the tokens as Tokens() writes them: `!` marks a
// special token, \xHH a byte outside printable ASCII.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/pattern_flags.h"
#include "pattern/token_reader.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using namespace std::string_literals;

struct TokenRow {
  std::string pattern;
  std::string tokens;
  int flags = 0;
};

void ExpectTokens(const std::vector<TokenRow>& rows) {
  for (const TokenRow& row : rows) {
    EXPECT_EQ(test::Tokens(row.pattern, row.flags), row.tokens) << "pattern: " << row.pattern;
  }
}

TEST(TokenReader, MetacharactersAreSpecialOnlyOutsideClasses) {
  ExpectTokens({
      {"a.b", "a !. b"},
      {"[a.b]", "![ a . b !]"},
      {"*+?.{})|$(", "!* !+ !? !. !{ !} !) !| !$ !("},
      {"[*+?.{})|$(]", "![ * + ? . { } ) | $ ( !]"},
      {"a]b", "a ] b"},
      {"a:b", "a : b"},
      {"a-z", "a - z"},
      {"[a-z]", "![ a !- z !]"},
  });
}

TEST(TokenReader, BracketsNestOnlyForPosixClasses) {
  ExpectTokens({
      {"[[:digit:]]", "![ ![ !: d i g i t : !] !]"},
      {"[a[b]", "![ a [ b !]"},
      {"[:alpha:]", "![ !: a l p h a : !]"},
      {"[]a]", "![ !] a ]"},
      {"[a", "![ a"},
  });
}

TEST(TokenReader, CaretIsSpecialOutsideOrRightAfterAnOpeningBracket) {
  ExpectTokens({
      {"^a", "!^ a"},
      {"[^a^]", "![ !^ a ^ !]"},
      {"[[:^alpha:]]", "![ ![ !: !^ a l p h a : !] !]"},
      {"[a^]", "![ a ^ !]"},
  });
}

TEST(TokenReader, ClassAndAnchorEscapesAreSpecial) {
  ExpectTokens({
      {"\\d\\D\\w\\W\\s\\S", "!d !D !w !W !s !S"},
      {"\\A\\z\\Z\\b\\B\\G\\k\\g", "!A !z !Z !b !B !G !k !g"},
      {"[\\d\\A]", "![ !d !A !]"},
      {"[\\b]", "![ \\x08 !]"},
      {"[a\\Gb]", "![ a b !]"},
      {"\\1", "!\\x5c 1"},
      {"\\12a", "!\\x5c 1 2 a"},
  });
}

TEST(TokenReader, EscapesResolveToOrdinaryBytes) {
  ExpectTokens({
      {"\\a\\e\\f\\n\\r\\t\\v", "\\x07 \\x1b \\x0c \\x0a \\x0d \\x09 \\x0b"},
      {"\\x41", "A"},
      {"\\x4", "\\x04"},
      {"\\xg", "x g"},
      {"\\x{ff}", "\\xff"},
      {"\\x{41", "A"},
      {"\\x{123456789}", "x"},
      {"\\u0142", "B"},
      {"\\u{142}", "B"},
      {"\\uz", "u z"},
      {"\\.\\*\\[\\\\\\K", ". * [ \\x5c K"},
      {"ab\\", "a b \\x5c"},
  });
}

TEST(TokenReader, QuotingTakesTextLiterally) {
  ExpectTokens({
      {"\\Qa.b\\E.", "a . b !."},
      {"\\Ua.b\\E", "A . B"},
      {"\\LAB\\Ec", "a b c"},
      {"\\Q[a]\\E[a]", "[ a ] ![ a !]"},
      {"\\Qa\\", "a \\x5c"},
      {"\\Qab", "a b"},
      {"a\\Eb", "a b"},
      {"\\U\\xe9\\E", "\\x5c X E 9"},
      {"\\U\xe9"
       "a\\E",
       "\\xe9 A"},
  });
}

TEST(TokenReader, CommentsAreDropped) {
  ExpectTokens({
      {"a(?#note)b", "a b"},
      {"a(?#no end", "a"},
      {"[(?#x)]", "![ !]"},
  });
}

TEST(TokenReader, ExtendedModeSkipsWhiteSpaceAndHashComments) {
  ExpectTokens({
      {"a b\t\nc", "a b c", PF_EXTENDED},
      {"a b", "a \\x20 b"},
      {"a#note\nb", "a b", PF_EXTENDED},
      {"a#note\rb", "a b", PF_EXTENDED},
      {"a#note", "a", PF_EXTENDED},
      {"a#b", "a # b"},
      {"a\\ b", "a \\x20 b", PF_EXTENDED},
      {"[ a]", "![ a !]", PF_EXTENDED},
      {"\\Qa b\\E", "a \\x20 b", PF_EXTENDED},
  });
}

TEST(TokenReader, EveryOtherByteIsOrdinary) {
  ExpectTokens({
      {"a\0b"s, "a \\x00 b"},
      {"\xe9\x80\xff", "\\xe9 \\x80 \\xff"},
      {"\x01\x08", "\\x01 \\x08"},
  });
}

struct PositionRow {
  std::string pattern;
  int index;  // token number from 0
  int pos;
  int len;
};

TEST(TokenReader, TokensKnowWhereTheyStandAndHowLongTheyAre) {
  const std::vector<PositionRow> rows = {
      {"\\x41", 0, 0, 4},   {"\\x4", 0, 0, 3},   {"\\xg", 0, 0, 2},    {"\\xg", 1, 2, 1},
      {"\\x{ff}", 0, 0, 6}, {"\\x{41", 0, 0, 5}, {"\\u0142", 0, 0, 6}, {"\\1", 0, 0, 1},
      {"\\1", 1, 1, 1},     {"a\\d", 1, 1, 2},   {"a(?#c)b", 1, 6, 1}, {"\\Qab", 1, 3, 1},
      {"ab\\", 2, 2, 1},    {"ab", 2, 2, 0},     {"", 0, 0, 0},
  };
  for (const PositionRow& row : rows) {
    PatternTokenReader reader;
    reader.Start(row.pattern.data(), static_cast<int>(row.pattern.size()), 0);
    for (int i = 0; i < row.index; ++i) reader.Advance();
    EXPECT_EQ(reader.Curr().pos, row.pos) << row.pattern << " token " << row.index;
    EXPECT_EQ(reader.Curr().len, row.len) << row.pattern << " token " << row.index;
  }
}

TEST(TokenReader, ReadingPastTheEndGivesEndTokensForEver) {
  PatternTokenReader reader;
  reader.Start("ab", 2, 0);
  EXPECT_EQ(reader.Ahead(), (PatternToken{0, 1, 2, 0}));
  for (int i = 0; i < 5; ++i) reader.Advance();
  EXPECT_TRUE(IsEnd(reader.Curr()));
  EXPECT_TRUE(IsEnd(reader.Next()));
  EXPECT_TRUE(IsEnd(reader.Ahead()));
  EXPECT_EQ(reader.Curr().pos, 2);
}

TEST(TokenReader, TokensCompareByCharacterAndMeaningOnly) {
  EXPECT_EQ((PatternToken{'a', 0, 0, 1}), (PatternToken{'a', 0, 5, 2}));
  EXPECT_FALSE((PatternToken{'.', 1, 0, 1}) == (PatternToken{'.', 0, 0, 1}));
  EXPECT_FALSE((PatternToken{'a', 0, 0, 1}) == (PatternToken{'b', 0, 0, 1}));
}

TEST(TokenReader, ReadHexStopsAtTheFirstOtherCharacterOrTheLimit) {
  struct Row {
    std::string text;
    int maxDigits;
    std::uint32_t value;
    int count;
  };
  const std::vector<Row> rows = {
      {"41", 2, 0x41, 2},     {"4g", 2, 0x4, 1},   {"", 2, 0, 0},
      {"fFfF", 4, 0xFFFF, 4}, {"123", 2, 0x12, 2}, {"123456789", 8, 0x12345678, 8},
      {"\0"s + "1", 2, 0, 0},
  };
  for (const Row& row : rows) {
    const HexDigits hex = ReadHex(row.text, row.maxDigits);
    EXPECT_EQ(hex.value, row.value) << row.text;
    EXPECT_EQ(hex.count, row.count) << row.text;
  }
}

}  // namespace
}  // namespace kv
