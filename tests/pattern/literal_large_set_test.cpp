// LiteralSetSearch on large sets, from one just past a vector group to
// thousands of literals, against a plain search of each literal, both ways
// it can go. The literals are made of a few syllables, digits, zero and
// 0x80-0xFF bytes, so that many share fingerprints, blocks and windows;
// some are caseless and planted in the other case, some overlap where
// planted, some sit at the very start or end of the buffer, and the longer
// buffers keep the sliding window's cursors going for many batches.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pattern/literal_set_search.h"
#include "support/literal_occurs.h"

namespace kv::testing {
namespace {

class LiteralLargeSetRoutes : public ::testing::TestWithParam<LiteralRoute> {};

TEST_P(LiteralLargeSetRoutes, LargeSetsFindWhatAPlainSearchFinds) {
  std::mt19937 random(9001);
  const std::string pieces[] = {"ba",   "ku",   "Zo", "ti", "7", "0", std::string(1, '\0'),
                                "\xe9", "\x90", "ga", " ",  "Q"};
  auto text = [&](std::size_t count) {
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i) bytes += pieces[random() % std::size(pieces)];
    return bytes;
  };
  auto otherCase = [](std::string bytes) {
    for (char& c : bytes) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
    }
    return bytes;
  };
  std::size_t found = 0;
  std::size_t missed = 0;
  for (const std::size_t count : {49, 100, 144, 145, 700, 2500}) {
    for (int round = 0; round < 6; ++round) {
      const std::size_t owners = count / 2;
      std::vector<OwnedLiteral> literals;
      for (std::size_t i = 0; i < count; ++i) {
        // Now and then a literal too short for the window or a fingerprint.
        std::string bytes = random() % 40 == 0 ? text(1).substr(0, 1) : text(3 + random() % 6);
        literals.push_back(
            {bytes, random() % 4 == 0, static_cast<std::uint32_t>(random() % owners)});
      }
      std::string data = text(round % 2 == 0 ? random() % 120 : 4000 + random() % 4000);
      auto plant = [&](std::size_t at) {
        const OwnedLiteral& literal = literals[random() % count];
        data.insert(at, literal.caseless ? otherCase(literal.bytes) : literal.bytes);
      };
      plant(0);
      plant(data.size());
      for (int planted = 0; planted < 4; ++planted) plant(random() % (data.size() + 1));
      std::vector<std::uint8_t> marks(owners, 0);
      LiteralSetSearch(literals, GetParam()).MarkOwners(data, marks);
      std::vector<std::uint8_t> expected(owners, 0);
      for (const OwnedLiteral& literal : literals) {
        expected[literal.owner] |= Occurs(data, literal.bytes, literal.caseless) ? 1 : 0;
      }
      ASSERT_EQ(marks, expected) << count << " literals, round " << round;
      for (const std::uint8_t mark : expected) (mark != 0 ? found : missed) += 1;
    }
  }
  EXPECT_GT(found, 1000u);
  EXPECT_GT(missed, 1000u);
}

INSTANTIATE_TEST_SUITE_P(BothWays, LiteralLargeSetRoutes,
                         ::testing::Values(LiteralRoute::kFastest, LiteralRoute::kSlidingWindow));

}  // namespace
}  // namespace kv::testing
