// MatchPattern, the reference entry. Placement: a signature's hit is found
// at offset 0, in the middle and ending at the very last byte, in a tiny and
// in a large buffer; null and zero-terminated inputs.
#include "pattern/match_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "pattern_test_support.h"

namespace kv {
namespace {

using test::Match;

struct Signature {
  std::string pattern;
  std::string hit;  // bytes the pattern matches, neutral at both edges
};

const Signature kSignatures[] = {
    {"KV-PLACED-TEST", "KV-PLACED-TEST"},
    {"X[0-9]{4}Y", "X2024Y"},
    {"(?i)trojan", "TroJan"},
    {"worm|virus|trojan", "virus"},
    {"(?<=ab)cd", "abcd"},
    {"\\bword\\b", "word"},
    {"MZ.{0,8}PE\\x00", std::string("MZ1234PE\0", 9)},
    {"[\\x80-\\xff]{3}", "\xe9\x80\xff"},
};

TEST(Placement, AHitIsFoundWhereverItLiesInASmallOrLargeBuffer) {
  for (const std::size_t fillerSize : {7, 32 * 1024}) {
    const std::string filler(fillerSize, ' ');
    for (const auto& [pattern, hit] : kSignatures) {
      EXPECT_EQ(Match(pattern, filler), 0) << pattern << " in filler";
      EXPECT_EQ(Match(pattern, hit), 1) << pattern << " alone";
      EXPECT_EQ(Match(pattern, hit + filler), 1) << pattern << " at offset 0";
      EXPECT_EQ(Match(pattern, filler + hit + filler), 1) << pattern << " in the middle";
      EXPECT_EQ(Match(pattern, filler + hit), 1) << pattern << " at the end";
      // Cut by one byte at either end the hit is gone.
      EXPECT_EQ(Match(pattern, filler + hit.substr(1)), 0) << pattern;
      EXPECT_EQ(Match(pattern, hit.substr(0, hit.size() - 1) + filler), 0) << pattern;
    }
  }
}

TEST(Placement, NullPatternNullDataAndTheTerminatorAreHandled) {
  EXPECT_EQ(MatchPattern(nullptr, "abc", 3, 0), 0);
  EXPECT_EQ(MatchPattern("", nullptr, 0, 0), 1);
  EXPECT_EQ(MatchPattern("a", nullptr, 5, 0), 0);
  EXPECT_EQ(MatchPattern("a", "a", -1, 0), 0);
  // The pattern ends at its first zero byte.
  const char pattern[] = {'a', '\0', 'b', '\0'};
  EXPECT_EQ(MatchPattern(pattern, "xa", 2, 0), 1);
}

}  // namespace
}  // namespace kv
