// LiteralSetSearch against a plain search of each literal on its own, over
// generated sets and data, every way it can go (the vector ways only where
// the processor has them): literals planted anywhere, the very start and end
// included, overlapping ones, caseless letters beside bytes 0x80-0xFF that
// have no case, zero bytes, 1-3 byte literals beside long ones, and sets
// the vector way splits over several passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "pattern/literal_set_search.h"
#include "support/literal_occurs.h"

namespace kv::testing {
namespace {

class LiteralSetSearchRoutes : public ::testing::TestWithParam<LiteralRoute> {};

TEST_P(LiteralSetSearchRoutes, GeneratedSetsFindWhatAPlainSearchFinds) {
  std::mt19937 random(9001);
  // @ and ` sit one below the letters' cases, bytes 0x80-0xFF have none.
  const std::string pieces[] = {
      "ba",   "ku",   "Zo",   "ti",   "zZ", "@`", "7", std::string(1, '\0'),
      "\xe9", "\xc9", "\xff", "\x90", "ga", " ",  "Q"};
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
  // Small sets, and sets the vector way splits over several passes or
  // leaves to the sliding window.
  for (const std::size_t count : {2, 7, 24, 49, 100, 144, 145, 700, 2500}) {
    for (int round = 0; round < (count < 49 ? 400 : 6); ++round) {
      const std::size_t owners = 1 + count / 2;
      std::vector<OwnedLiteral> literals;
      for (std::size_t i = 0; i < count; ++i) {
        // Now and then a literal too short for the window or a fingerprint.
        std::string bytes =
            random() % 8 == 0 ? text(1 + random() % 2).substr(0, 3) : text(3 + random() % 6);
        literals.push_back(
            {bytes, random() % 4 == 0, static_cast<std::uint32_t>(random() % owners)});
      }
      std::string data = text(round % 2 == 0 ? random() % 120 : 4000 + random() % 4000);
      // Planted at the very start, the very end, then anywhere; or not at all.
      for (int planted = 0; planted < 6 && random() % 5 != 0; ++planted) {
        const std::size_t at = planted == 0   ? 0
                               : planted == 1 ? data.size()
                                              : random() % (data.size() + 1);
        const OwnedLiteral& literal = literals[random() % count];
        data.insert(at, literal.caseless ? otherCase(literal.bytes) : literal.bytes);
      }
      std::vector<std::uint8_t> marks(owners, 0);
      LiteralSetSearch(literals, GetParam()).MarkOwners(data, marks);
      std::vector<std::uint8_t> expected(owners, 0);  // found one literal at a time
      for (const OwnedLiteral& literal : literals) {
        if (Occurs(data, literal.bytes, literal.caseless)) expected[literal.owner] = 1;
      }
      ASSERT_EQ(marks, expected) << count << " literals, round " << round;
      for (const std::uint8_t mark : expected) (mark != 0 ? found : missed) += 1;
    }
  }
  EXPECT_GT(found, 4000u);
  EXPECT_GT(missed, 4000u);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, LiteralSetSearchRoutes,
                         ::testing::Values(LiteralRoute::kFastest, LiteralRoute::kNarrowVector,
                                           LiteralRoute::kSlidingWindow));

}  // namespace
}  // namespace kv::testing
