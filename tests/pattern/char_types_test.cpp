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
  using namespace std;
  return {isalnum(c) != 0, isalpha(c) != 0, iscntrl(c) != 0, isdigit(c) != 0,
          isgraph(c) != 0, islower(c) != 0, isprint(c) != 0, ispunct(c) != 0,
          isspace(c) != 0, isupper(c) != 0, isxdigit(c) != 0};
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
