// LiteralSetSearch against a plain search of each literal on its own: hand
// cases at the edges (a literal at the very start and end, one byte short,
// caseless letters and caseless bytes 0x80-0xFF, short literals beside long
// ones) and generated sets over generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "pattern/literal_set_search.h"

namespace kv::testing {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The owners whose literals occur, found one literal at a time.
std::vector<std::uint8_t> PlainMarks(const std::vector<OwnedLiteral>& literals,
                                     const std::string& data, std::size_t owners) {
  std::vector<std::uint8_t> marks(owners, 0);
  for (const OwnedLiteral& literal : literals) {
    const auto same = [&](char a, char b) {
      return literal.caseless ? Lower(a) == Lower(b) : a == b;
    };
    if (std::search(data.begin(), data.end(), literal.bytes.begin(), literal.bytes.end(), same) !=
        data.end()) {
      marks[literal.owner] = 1;
    }
  }
  return marks;
}

std::vector<std::uint8_t> SetMarks(const std::vector<OwnedLiteral>& literals,
                                   const std::string& data, std::size_t owners) {
  std::vector<std::uint8_t> marks(owners, 0);
  LiteralSetSearch(literals).MarkOwners(data, marks);
  return marks;
}

TEST(LiteralSetSearch, FindsLiteralsAtTheEdgesAndIgnoresCaseOnlyWhereAsked) {
  const std::vector<OwnedLiteral> literals = {{std::string("MZ\x90\x00", 4), false, 0},
                                              {std::string("tail\xff", 5), false, 1},
                                              {"TroJan", true, 2},
                                              {"Exact", false, 3},
                                              {"\xe9", false, 4},
                                              {"ab", true, 5},
                                              {"\xc9T\xc9", true, 6}};
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {std::string("MZ\x90\x00rest", 8), "1000000"},
      {std::string("xx tail\xff", 8), "0100000"},
      {"tail", "0000000"},
      {"a TROJAN b", "0010000"},
      {"exact EXACT", "0000000"},
      {"Exact", "0001000"},
      {"\xe9", "0000100"},
      {"xAB", "0000010"},
      {"\xc9t\xc9", "0000001"},
      {"\xe9T\xe9", "0000100"},
      {"", "0000000"}};
  // clang-format on
  for (const auto& [data, expected] : cases) {
    std::string marks;
    for (const std::uint8_t mark : SetMarks(literals, data, 7)) marks += mark ? '1' : '0';
    EXPECT_EQ(marks, expected) << data;
  }
}

TEST(LiteralSetSearch, GeneratedSetsFindWhatAPlainSearchFinds) {
  std::mt19937 random(4242);
  const char alphabet[] = "abAB\x00\xff\x90 z";
  auto text = [&](std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % (sizeof alphabet - 1)];
    return bytes;
  };
  int found = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<OwnedLiteral> literals;
    const std::size_t owners = 1 + random() % 12;
    for (std::size_t i = 0; i < owners * 2; ++i) {
      // Mostly long enough for the sliding window, some for the one by one search.
      literals.push_back({text(random() % 5 == 0 ? 1 + random() % 3 : 4 + random() % 10),
                          random() % 3 == 0, static_cast<std::uint32_t>(random() % owners)});
    }
    std::string data = text(random() % 300);
    if (random() % 2 == 0 && !data.empty()) {
      const std::string& planted = literals[random() % literals.size()].bytes;
      data.insert(random() % data.size(), planted);
    }
    const std::vector<std::uint8_t> expected = PlainMarks(literals, data, owners);
    ASSERT_EQ(SetMarks(literals, data, owners), expected) << "round " << round;
    found += static_cast<int>(std::count(expected.begin(), expected.end(), 1));
  }
  EXPECT_GT(found, 1500);
}

}  // namespace
}  // namespace kv::testing
