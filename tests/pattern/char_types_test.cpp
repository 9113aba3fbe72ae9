// The engine's own character tests: the "C" locale's answers for 0x00-0x7F,
// and no class and no case for the negative values that bytes 0x80-0xFF
// become.
#include "pattern/internal/char_types.h"

#include <ctype.h>
#include <gtest/gtest.h>

#include <utility>

namespace kv {
namespace {

TEST(CharTypes, AsciiAnswersAreThoseOfTheCLocaleOthersHaveNoClassAndNoCase) {
  using namespace chartype;
  const std::pair<bool (*)(int), int (*)(int)> classes[] = {
      {IsAlnum, ::isalnum}, {IsAlpha, ::isalpha}, {IsCntrl, ::iscntrl},  {IsDigit, ::isdigit},
      {IsGraph, ::isgraph}, {IsLower, ::islower}, {IsPrint, ::isprint},  {IsPunct, ::ispunct},
      {IsSpace, ::isspace}, {IsUpper, ::isupper}, {IsXdigit, ::isxdigit}};
  // The test program never changes the locale, so the library runs in "C".
  for (int c = -128; c < 128; ++c) {
    const bool ascii = c >= 0;
    for (std::size_t i = 0; i < std::size(classes); ++i) {
      EXPECT_EQ(classes[i].first(c), ascii && classes[i].second(c) != 0) << c << " class " << i;
    }
    EXPECT_EQ(ToUpper(c), ascii ? ::toupper(c) : c) << c;
    EXPECT_EQ(ToLower(c), ascii ? ::tolower(c) : c) << c;
    EXPECT_EQ(IsWordByte(c), ascii && (::isalnum(c) != 0 || c == '_')) << c;
  }
}

}  // namespace
}  // namespace kv
