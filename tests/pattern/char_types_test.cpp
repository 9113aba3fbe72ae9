// The engine's own character tests: the "C" locale's answers for 0x00-0x7F,
// and no class and no case for the negative values that bytes 0x80-0xFF
// become.
#include <gtest/gtest.h>

#include <cctype>

#include "pattern/char_types.h"

namespace kv {
namespace {

struct ClassTest {
  const char* name;
  bool (*ours)(int);
  int (*library)(int);  // wrapped: a library function's address is not ours to take
};

const ClassTest kTests[] = {
    {"alnum", chartype::IsAlnum, [](int c) { return std::isalnum(c); }},
    {"alpha", chartype::IsAlpha, [](int c) { return std::isalpha(c); }},
    {"cntrl", chartype::IsCntrl, [](int c) { return std::iscntrl(c); }},
    {"digit", chartype::IsDigit, [](int c) { return std::isdigit(c); }},
    {"graph", chartype::IsGraph, [](int c) { return std::isgraph(c); }},
    {"lower", chartype::IsLower, [](int c) { return std::islower(c); }},
    {"print", chartype::IsPrint, [](int c) { return std::isprint(c); }},
    {"punct", chartype::IsPunct, [](int c) { return std::ispunct(c); }},
    {"space", chartype::IsSpace, [](int c) { return std::isspace(c); }},
    {"upper", chartype::IsUpper, [](int c) { return std::isupper(c); }},
    {"xdigit", chartype::IsXdigit, [](int c) { return std::isxdigit(c); }},
};

TEST(CharTypes, AsciiAnswersAreThoseOfTheCLocale) {
  // The test program never changes the locale, so the library runs in "C".
  for (int c = 0; c < 128; ++c) {
    for (const ClassTest& test : kTests) {
      EXPECT_EQ(test.ours(c), test.library(c) != 0) << test.name << ' ' << c;
    }
    EXPECT_EQ(chartype::ToUpper(c), std::toupper(c)) << c;
    EXPECT_EQ(chartype::ToLower(c), std::tolower(c)) << c;
  }
}

TEST(CharTypes, NegativeValuesHaveNoClassAndNoCase) {
  for (int c = -128; c < 0; ++c) {
    for (const ClassTest& test : kTests) EXPECT_FALSE(test.ours(c)) << test.name << ' ' << c;
    EXPECT_FALSE(chartype::IsWordByte(c)) << c;
    EXPECT_EQ(chartype::ToUpper(c), c);
    EXPECT_EQ(chartype::ToLower(c), c);
  }
}

}  // namespace
}  // namespace kv
