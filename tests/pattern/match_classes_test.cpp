// Matching of classes over signed bytes: ranges are intervals of signed
// values, so the bytes 0x80-0xFF order below 0x00; the class escapes and
// POSIX classes know no byte above 0x7F; ignore case widens only bracket
// classes.
#include <gtest/gtest.h>

#include <string>

#include "match_table.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

using test::Byte;
using test::ExpectMatches;
using test::Matches;

// Checks `pattern` against every single byte: `holds(b)` says whether it
// should match the one-byte buffer b.
template <typename Holds>
void ExpectEveryByte(const std::string& pattern, Holds holds, int flags = 0) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(Matches(pattern, Byte(b), flags), holds(b) ? 1 : 0)
        << "pattern: " << pattern << "  byte: " << b;
  }
}

TEST(MatchClasses, RangesAreIntervalsOfSignedBytes) {
  ExpectEveryByte("[\\x80-\\xff]", [](int b) { return b >= 0x80; });
  ExpectEveryByte("[\\x00-\\xff]", [](int) { return false; });
  ExpectEveryByte("[\\x00-\\x7f]", [](int b) { return b < 0x80; });
  ExpectEveryByte("[^\\x80-\\xff]", [](int b) { return b < 0x80; });
  ExpectEveryByte("[\\xff-\\x80]", [](int) { return false; });
  ExpectEveryByte("[\\x80-\\x01]", [](int b) { return b >= 0x80 || b <= 0x01; });
  ExpectEveryByte("[\\x01-\\x80]", [](int) { return false; });
}

TEST(MatchClasses, DotAndClassEscapesKnowNoHighByte) {
  ExpectEveryByte(".", [](int b) { return b != 0x0A; });
  ExpectEveryByte(
      ".", [](int) { return true; }, PF_SINGLE_LINE);
  ExpectEveryByte("(?s).", [](int) { return true; });
  ExpectEveryByte("\\w", [](int b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_';
  });
  ExpectEveryByte("\\d", [](int b) { return b >= '0' && b <= '9'; });
  ExpectEveryByte("\\D", [](int b) { return b < '0' || b > '9'; });
  ExpectEveryByte("\\s", [](int b) { return b == ' ' || b == 0x09 || b == 0x0A || b == 0x0D; });
  ExpectEveryByte("\\S", [](int b) { return b != ' ' && b != 0x09 && b != 0x0A && b != 0x0D; });
}

TEST(MatchClasses, WhiteSpaceHoldsFormFeedAndVerticalTabOnlyInLookbehind) {
  ExpectMatches({
      {"\\sx", "\x0cx", 0},
      {"\\sx", "\x0bx", 0},
      {"(?<=\\s)x", "\x0cx", 1},
      {"(?<=\\s)x", "\x0bx", 1},
      {"(?<=\\S)x", "\x0cx", 0},
      {"\\Sx", "\x0cx", 1},
      {"(?<=\\s)x", " x", 1},
  });
}

TEST(MatchClasses, BracketClassesHoldTheirCharsRangesAndEmbeddedClasses) {
  ExpectMatches({
      {"[abc]", "b", 1},   {"[abc]", "d", 0},   {"[^abc]", "d", 1},   {"[^abc]", "a", 0},
      {"[a-]", "-", 1},    {"[-a]", "-", 1},    {"[z-a]", "m", 0},    {"[a\\d]", "5", 1},
      {"[^\\d]", "5", 0},  {"[^a\\d]", "b", 1}, {"[^a\\d]", "7", 0},  {"[\\w.]", ".", 1},
      {"[]a]", "]a]", 0},  {"[]a]", "a]", 0},   {"[\\b]", "\x08", 1}, {"[\\]]", "]", 1},
      {"[a-c-e]", "-", 1}, {"[a-c-e]", "d", 0}, {"[abc", "c", 1},     {"[^]", "x", 1},
  });
}

TEST(MatchClasses, PosixClassesUseTheCLocaleTestsOnSignedBytes) {
  ExpectMatches({
      {"[[:alpha:]]", "a", 1},  {"[[:alpha:]]", "1", 0},    {"[[:alpha:]]", "\xe9", 0},
      {"[[:digit:]]", "7", 1},  {"[[:alnum:]]", "_", 0},    {"[[:upper:]]", "a", 0},
      {"[[:lower:]]", "a", 1},  {"[[:space:]]", "\v", 1},   {"[[:blank:]]", "\t", 1},
      {"[[:blank:]]", "\n", 0}, {"[[:cntrl:]]", "\x7f", 1}, {"[[:cntrl:]]", "\x80", 0},
      {"[[:punct:]]", "!", 1},  {"[[:punct:]]", "a", 0},    {"[[:print:]]", " ", 1},
      {"[[:graph:]]", " ", 0},  {"[[:xdigit:]]", "F", 1},   {"[[:xdigit:]]", "g", 0},
      {"[[:^digit:]]", "a", 1}, {"[[:^digit:]]", "1", 0},   {"[:^digit:]", "a", 1},
      {"[:alpha:]", "a", 1},    {"[[:alpha:]_]", "_", 1},
  });
  ExpectEveryByte("[[:ascii:]]", [](int) { return true; });
}

TEST(MatchClasses, UnknownPosixClassesNeverMatchNegatedOrNot) {
  ExpectEveryByte("[[:alphabet:]]", [](int) { return false; });
  ExpectEveryByte("[[:^alphabet:]]", [](int) { return false; });
  ExpectEveryByte("[[:word:]]", [](int) { return false; });
}

TEST(MatchClasses, IgnoreCaseWidensOnlyBracketClassesAndLiterals) {
  ExpectMatches({
      {"(?i)[a-c]", "B", 1},
      {"(?i)[B-D]", "c", 1},
      {"(?i)[^a]", "A", 0},
      {"(?i)[x]", "X", 1},
      {"(?i)[X-c]", "y", 1},
      {"(?i)[X-c]", "C", 1},
      {"(?i)[[:upper:]]", "a", 0},
      {"(?i)[[:lower:]]", "A", 0},
      {"(?i)abc", "xABC", 1},
      {"abc", "ABC", 1, PF_IGNORE_CASE},
      {"abc", "ABC", 0},
      {"(?i)\\xe9", "\xc9", 0},
      {"(?i)[\\xe9]", "\xc9", 0},
      {"(?i)[\\x80-\\xff]", "a", 0},
  });
}

TEST(MatchClasses, LiteralsCompareEveryByteIncludingZero) {
  using namespace std::string_literals;
  ExpectMatches({
      {"a\0b"s, "xa\0b"s, 1},
      {"a\0b"s, "ab"s, 0},
      {"\\x00", "a\0"s, 1},
      {"\\xff", "\xff", 1},
      {"\\xff", "\x7f", 0},
      {"\xe9t\xe9", "\xe9t\xe9", 1},
  });
}

}  // namespace
}  // namespace kv
