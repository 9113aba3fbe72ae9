// The engine's own character tests: the "C" locale's answers for 0x00-0x7F,
// and no class and no case for the negative values that bytes 0x80-0xFF
// become. Each class is compared in the same order: alnum alpha cntrl digit
// graph lower print punct space upper xdigit.
#include "pattern/internal/char_types.h"

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

namespace kv {
namespace {

std::vector<bool> Ours(int c) {
  using namespace chartype;
  return {IsAlnum(c), IsAlpha(c), IsCntrl(c), IsDigit(c), IsGraph(c), IsLower(c),
          IsPrint(c), IsPunct(c), IsSpace(c), IsUpper(c), IsXdigit(c)};
}

std::vector<bool> Library(int c) {
  std::vector<bool> answers;
  for (const int answer : {std::isalnum(c), std::isalpha(c), std::iscntrl(c), std::isdigit(c),
                           std::isgraph(c), std::islower(c), std::isprint(c), std::ispunct(c),
                           std::isspace(c), std::isupper(c), std::isxdigit(c)}) {
    answers.push_back(answer != 0);
  }
  return answers;
}

TEST(CharTypes, AsciiAnswersAreThoseOfTheCLocaleOthersHaveNoClassAndNoCase) {
  // The test program never changes the locale, so the library runs in "C".
  for (int c = -128; c < 128; ++c) {
    const bool ascii = c >= 0;
    EXPECT_EQ(Ours(c), ascii ? Library(c) : std::vector<bool>(11, false)) << c;
    EXPECT_EQ(chartype::ToUpper(c), ascii ? std::toupper(c) : c) << c;
    EXPECT_EQ(chartype::ToLower(c), ascii ? std::tolower(c) : c) << c;
    EXPECT_EQ(chartype::IsWordByte(c), ascii && (std::isalnum(c) != 0 || c == '_')) << c;
  }
}

}  // namespace
}  // namespace kv
