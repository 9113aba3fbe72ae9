// What a pattern is read into, which matching cannot show (what tokens
// match is pinned by conformance.txt).
//
// The token reader: which tokens are special, what is skipped, where each
// token stands, and the token window at the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/internal/token_reader.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using namespace std::string_literals;

// The tokens up to the end token, separated by blanks: a special token with
// a leading `!`, bytes outside printable ASCII (and the blank) as \xHH; or,
// with `positions`, each token's "pos+len", the end token's included. A
// bound on the count guards the test against a reader that never ends.
std::string Read(const std::string& pattern, int flags, bool positions) {
  PatternTokenReader reader;
  reader.Start(pattern.data(), static_cast<int>(pattern.size()), flags);
  std::string out;
  for (std::size_t count = 0; count <= pattern.size(); ++count, reader.Advance()) {
    const PatternToken token = reader.Curr();
    if (IsEnd(token) && !positions) break;
    if (!out.empty()) out += ' ';
    out += positions ? std::to_string(token.pos) + '+' + std::to_string(token.len)
                     : (token.special != 0 ? "!" : "") +
                           testing::Shown(std::string(1, static_cast<char>(token.ch)));
    if (IsEnd(token)) break;
  }
  return out;
}

void ExpectRows(bool positions, const std::vector<testing::PatternRow>& rows) {
  for (const testing::PatternRow& row : rows) {
    EXPECT_EQ(Read(row.pattern, row.flags, positions), row.expected)
        << testing::Shown(row.pattern) << " flags " << row.flags;
  }
}

TEST(TokenReader, ReadsTheListedTokens) {
  ExpectRows(false,
             {// Metacharacters are special only in their context.
              {"*+?.{})|$(", "!* !+ !? !. !{ !} !) !| !$ !("},
              {"[*+?.{})|$(]", "![ * + ? . { } ) | $ ( !]"},
              {"a]:-", "a ] : -"},
              {"[a-z]", "![ a !- z !]"},
              {"[[:digit:]]", "![ ![ !: d i g i t : !] !]"},
              {"[]a]", "![ !] a ]"},
              {"^[^a^]", "!^ ![ !^ a ^ !]"},
              // Class and anchor escapes are special, others ordinary.
              {"\\d\\D\\w\\W\\s\\S", "!d !D !w !W !s !S"},
              {"\\A\\z\\Z\\b\\B\\G\\k\\g", "!A !z !Z !b !B !G !k !g"},
              {"[\\d\\A\\b\\Gx]", "![ !d !A \\x08 x !]"},
              {"\\12a", "!\\x5c 1 2 a"},
              {"a\0\x01\x08\x80\xe9\xff"s, "a \\x00 \\x01 \\x08 \\x80 \\xe9 \\xff"},
              // Quotes, comments and extended layout are dropped; bytes
              // 0x80-0xFF have no case to convert.
              {"\\Qa.[\\E.[a]", "a . [ !. ![ a !]"},
              {"\\LA\\E\\Ua\xe9\\Eb", "a A \\xe9 b"},
              {"a(?#x)[(?#y)](?#z", "a ![ !]"},
              {"a b\t\nc#x\rd#y\ne#z", "a b c d e", PF_EXTENDED},
              {"\\ [ a]\\Qb c\\E", "\\x20 ![ a !] b \\x20 c", PF_EXTENDED}});
}

TEST(TokenPositions, GiveEachTokensStartAndLength) {
  ExpectRows(true, {{"\\x41\\x4g\\x{ff}\\u0142\\1", "0+4 4+3 7+1 8+6 14+6 20+1 21+1 22+0"},
                    {"a\\d(?#c)b\\Qc\\Ed\\", "0+1 1+2 8+1 11+1 14+1 15+1 16+0"},
                    {"\\x{41", "0+5 5+0"},
                    {"", "0+0"}});
}

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
