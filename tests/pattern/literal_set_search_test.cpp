// LiteralSetSearch against a plain search of each literal on its own, over
// generated sets and data, both ways it can go (the vector way only where
// the processor has it): literals planted anywhere, the very start and end
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

// The owners whose literals occur, found one literal at a time.
std::vector<std::uint8_t> PlainMarks(const std::vector<OwnedLiteral>& literals,
                                     const std::string& data, std::size_t owners) {
  std::vector<std::uint8_t> marks(owners, 0);
  for (const OwnedLiteral& literal : literals) {
    if (Occurs(data, literal.bytes, literal.caseless)) marks[literal.owner] = 1;
  }
  return marks;
}

class LiteralSetSearchRoutes : public ::testing::TestWithParam<LiteralRoute> {};

TEST_P(LiteralSetSearchRoutes, GeneratedSetsFindWhatAPlainSearchFinds) {
  std::mt19937 random(4242);
  const char alphabet[] = "abAB\x00\xff\x90\xc9\xe9 zZ@`";
  auto text = [&](std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % (sizeof alphabet - 1)];
    return bytes;
  };
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<OwnedLiteral> literals;
    // Now and then more literals than one vector pass takes.
    const std::size_t owners = 1 + random() % (round % 10 == 0 ? 40 : 12);
    for (std::size_t i = 0; i < owners * 2; ++i) {
      // Mostly long enough for the sliding window, some for the one by one search.
      literals.push_back({text(random() % 5 == 0 ? 1 + random() % 3 : 4 + random() % 10),
                          random() % 3 == 0, static_cast<std::uint32_t>(random() % owners)});
    }
    std::string data = text(random() % 300);
    for (int planted = 0; planted < 3 && random() % 2 == 0; ++planted) {
      data.insert(random() % (data.size() + 1), literals[random() % literals.size()].bytes);
    }
    const std::vector<std::uint8_t> expected = PlainMarks(literals, data, owners);
    std::vector<std::uint8_t> marks(owners, 0);
    LiteralSetSearch(literals, GetParam()).MarkOwners(data, marks);
    ASSERT_EQ(marks, expected) << "round " << round;
    found += static_cast<int>(std::count(expected.begin(), expected.end(), 1));
  }
  EXPECT_GT(found, 3000);
}

TEST_P(LiteralSetSearchRoutes, LargeSetsFindWhatAPlainSearchFinds) {
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
      const std::vector<std::uint8_t> expected = PlainMarks(literals, data, owners);
      ASSERT_EQ(marks, expected) << count << " literals, round " << round;
      for (const std::uint8_t mark : expected) (mark != 0 ? found : missed) += 1;
    }
  }
  EXPECT_GT(found, 1000u);
  EXPECT_GT(missed, 1000u);
}

INSTANTIATE_TEST_SUITE_P(BothWays, LiteralSetSearchRoutes,
                         ::testing::Values(LiteralRoute::kFastest, LiteralRoute::kSlidingWindow));

}  // namespace
}  // namespace kv::testing
