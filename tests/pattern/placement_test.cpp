// Same data, different placement, same answer: a signature's hit at offset 0,
// in the middle and ending at the very last byte, in a tiny and in a large
// buffer, through MatchPattern as the scan engine calls it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/match_pattern.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using test::Match;

struct Signature {
  std::string pattern;
  std::string hit;  // bytes the pattern matches, neutral at both edges
};

const std::vector<Signature>& Signatures() {
  static const std::vector<Signature> signatures = {
      {"KV-PLACED-TEST", "KV-PLACED-TEST"},
      {"X[0-9]{4}Y", "X2024Y"},
      {"(?i)trojan", "TroJan"},
      {"worm|virus|trojan", "virus"},
      {"(?<=ab)cd", "abcd"},
      {"(q)\\1\\1", "qqq"},
      {"\\bword\\b", "word"},
      {"MZ.{0,8}PE\\x00", "MZ1234PE" + std::string(1, '\0')},
      {"[\\x80-\\xff]{3}", "\xe9\x80\xff"},
      {"(?:ab|cd){3}e", "abcdabe"},
  };
  return signatures;
}

void ExpectFoundAtEveryPlace(std::size_t fillerSize) {
  const std::string filler(fillerSize, ' ');
  for (const Signature& signature : Signatures()) {
    const std::string& hit = signature.hit;
    EXPECT_EQ(Match(signature.pattern, filler), 0) << signature.pattern << " in filler";
    EXPECT_EQ(Match(signature.pattern, hit), 1) << signature.pattern << " alone";
    EXPECT_EQ(Match(signature.pattern, hit + filler), 1) << signature.pattern << " at offset 0";
    EXPECT_EQ(Match(signature.pattern, filler + hit + filler), 1)
        << signature.pattern << " in the middle";
    EXPECT_EQ(Match(signature.pattern, filler + hit), 1) << signature.pattern << " at the end";
    // Cut by one byte at either end the hit is gone.
    EXPECT_EQ(Match(signature.pattern, filler + hit.substr(1)), 0) << signature.pattern;
    EXPECT_EQ(Match(signature.pattern, hit.substr(0, hit.size() - 1) + filler), 0)
        << signature.pattern;
  }
}

TEST(Placement, AHitIsFoundWhereverItLiesInASmallBuffer) { ExpectFoundAtEveryPlace(7); }

TEST(Placement, AHitIsFoundWhereverItLiesInALargeBuffer) { ExpectFoundAtEveryPlace(32 * 1024); }

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
