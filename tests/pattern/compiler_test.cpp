// The compiler: pattern -> node tree, pinned through Dump(). One table per
// construct; the dump names node kinds (Seq, Alt, Lit, Class, Greedy, ...),
// `/r` right-to-left, `/i` ignore case, and group marks as OpenN/CloseN.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pattern/pattern_compiler.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

struct TreeRow {
  std::string pattern;
  std::string tree;
  int flags = 0;
};

void ExpectTrees(const std::vector<TreeRow>& rows) {
  for (const TreeRow& row : rows) {
    EXPECT_EQ(test::Compiled(row.pattern, row.flags), row.tree) << "pattern: " << row.pattern;
  }
}

TEST(Compiler, LiteralRunsAndSequences) {
  ExpectTrees({
      {"", "Empty"},
      {"abc", "Lit\"abc\""},
      {"abc*", "Seq[Lit\"ab\" Greedy{0,+inf}(Lit\"c\")]"},
      {"ab*", "Seq[Lit\"a\" Greedy{0,+inf}(Lit\"b\")]"},
      {"a(b|c)*d",
       "Seq[Lit\"a\" Greedy{0,+inf}(Seq[Open1 Alt[Lit\"b\" Lit\"c\"] Close1]) Lit\"d\"]"},
      {"abc\\", "Lit\"abc\\x5c\""},
      {"a b", "Lit\"a\\x20b\""},
      {"a\\x00b", "Lit\"a\\x00b\""},
  });
}

TEST(Compiler, AlternationsAndEmptyAlternatives) {
  ExpectTrees({
      {"a|b|c", "Alt[Lit\"a\" Lit\"b\" Lit\"c\"]"},
      {"a|", "Alt[Lit\"a\" Empty]"},
      {"|", "Alt[Empty Empty]"},
      {"()", "Seq[Open1 Empty Close1]"},
  });
}

TEST(Compiler, QuantifiersBindToOneAtom) {
  ExpectTrees({
      {"a+", "Greedy{1,+inf}(Lit\"a\")"},
      {"a?", "Greedy{0,1}(Lit\"a\")"},
      {"a*?", "Lazy{0,+inf}(Lit\"a\")"},
      {"a+?", "Lazy{1,+inf}(Lit\"a\")"},
      {"a*+", "Possessive{0,+inf}(Lit\"a\")"},
      {"a{2,5}", "Greedy{2,5}(Lit\"a\")"},
      {"a{2,}", "Greedy{2,+inf}(Lit\"a\")"},
      {"a{ 2 , 5 }", "Greedy{2,5}(Lit\"a\")"},
      {"a{2,5}?", "Lazy{2,5}(Lit\"a\")"},
      {"a**", "Seq[Greedy{0,+inf}(Lit\"a\") Lit\"*\"]"},
      {"a*??", "Seq[Lazy{0,+inf}(Lit\"a\") Lit\"?\"]"},
      {"*a", "Lit\"*a\""},
      {"+", "Lit\"+\""},
      {"(a)*", "Greedy{0,+inf}(Seq[Open1 Lit\"a\" Close1])"},
  });
}

TEST(Compiler, FixedCountsAndDroppedAtoms) {
  ExpectTrees({
      {"a{3}", "Repeat{3}(Lit\"a\")"},
      {"a{3,3}", "Repeat{3}(Lit\"a\")"},
      {"a{3}?", "Repeat{3}(Lit\"a\")"},
      {"a{3}+", "Repeat{3}(Lit\"a\")"},
      {"a{2,1}", "Repeat{2}(Lit\"a\")"},
      {"a{1000}", "Repeat{100}(Lit\"a\")"},
      {"a{0}", "Empty"},
      {"a{0,0}", "Empty"},
      {"x{,3}", "Empty"},
      {"x{a}", "Empty"},
      {"ab{,3}c", "Seq[Lit\"a\" Empty Lit\"c\"]"},
      {"{3}", "Seq[Lit\"{3\" Lit\"}\"]"},
  });
}

TEST(Compiler, ClassEscapesAreSharedStockClasses) {
  ExpectTrees({
      {".", "Class^[\\x0a]"},
      {".", "Class^[]", PF_SINGLE_LINE},
      {"(?s).", "Seq[Empty Class^[]]"},
      {"\\w", "Class[A-Z a-z 0-9 _]"},
      {"\\W", "Class^[A-Z a-z 0-9 _]"},
      {"\\s", "Class[\\x20 \\x09 \\x0d \\x0a]"},
      {"\\S", "Class^[\\x20 \\x09 \\x0d \\x0a]"},
      {"\\d", "Class[0-9]"},
      {"\\D", "Class^[0-9]"},
      {"(?<=\\s)", "Look(Class/r[\\x20 \\x09 \\x0d \\x0a \\x0c \\x0b])"},
      {"\\d", "Class/r[0-9]", PF_RIGHT_TO_LEFT},
  });
}

TEST(Compiler, BracketClasses) {
  ExpectTrees({
      {"[a-z_]", "Class[a-z _]"},
      {"[^a-z]", "Class^[a-z]"},
      {"[a-]", "Class[a \\x2d]"},
      {"[-a]", "Class[\\x2d a]"},
      {"[z-a]", "Class[z-a]"},
      {"[]a]", "Seq[Class[] Lit\"a]\"]"},
      {"[abc", "Class[a b c]"},
      {"[\\x80-\\xff]", "Class[\\x80-\\xff]"},
      {"[\\d.]", "Class[. Class[0-9]]"},
      {"[a\\-z]", "Class[a \\x2d z]"},
      {"[\\b]", "Class[\\x08]"},
  });
}

TEST(Compiler, PosixClasses) {
  ExpectTrees({
      {"[[:alpha:]_]", "Class[_ Posix[:alpha:]]"},
      {"[:alpha:]", "Posix[:alpha:]"},
      {"[:^digit:]", "Posix[:^digit:]"},
      {"[[:alphabet:]]", "Class[Posix[:?:]]"},
      {"[:xdigit:]", "Posix[:xdigit:]"},
      {"[:blank:]", "Posix[:blank:]"},
  });
}

TEST(Compiler, IgnoreCaseWidensBracketClassesOnce) {
  ExpectTrees({
      {"(?i)[a-c]", "Seq[Empty Class[a-c A-C]]"},
      {"(?i)[B-D]", "Seq[Empty Class[B-D b-d]]"},
      {"(?i)[Ab]", "Seq[Empty Class[A b a B]]"},
      {"(?i)[Aa]", "Seq[Empty Class[A a]]"},
      {"(?i)[A-z]", "Seq[Empty Class[A-z]]"},
      {"(?i)[A-Za-z]", "Seq[Empty Class[A-Z a-z a-z A-Z]]"},
      {"(?i)[X-c]", "Seq[Empty Class[X-c x-z A-C]]"},
      {"(?i)[[:upper:]]", "Seq[Empty Class[Posix[:upper:]]]"},
      {"(?i)\\w", "Seq[Empty Class[A-Z a-z 0-9 _]]"},
      {"[a1]", "Class[a 1 A]", PF_IGNORE_CASE},
  });
}

TEST(Compiler, InlineModifiersHoldForTheRestOfTheirAlternation) {
  ExpectTrees({
      {"(?i)abc|def", "Alt[Seq[Empty Lit/i\"abc\"] Lit/i\"def\"]"},
      {"(?i:abc)def", "Seq[Lit/i\"abc\" Lit\"def\"]"},
      {"x(?i)y", "Seq[Lit\"x\" Empty Lit/i\"y\"]"},
      {"(a(?i)b)c", "Seq[Seq[Open1 Seq[Lit\"a\" Empty Lit/i\"b\"] Close1] Lit\"c\"]"},
      {"(?i-i)a", "Seq[Empty Lit\"a\"]"},
      {"(?I)a", "Seq[Empty Lit/i\"a\"]"},
      {"(?-i)a", "Seq[Empty Lit\"a\"]", PF_IGNORE_CASE},
      {"(?x)a b", "Seq[Empty Lit\"a\\x20b\"]"},
      {"(?i(a))", "Seq[Open1 Lit/i\"a\" Close1]"},
      {"(? i)a", "Seq[Empty Lit/i\"a\"]"},
  });
}

TEST(Compiler, GroupsAreNumberedByOpeningParenthesisNamedOnesAfter) {
  ExpectTrees({
      {"(a)(?<n>b)(c)",
       "Seq[Seq[Open1 Lit\"a\" Close1] Seq[Open3<n> Lit\"b\" Close3] Seq[Open2 Lit\"c\" Close2]]"},
      {"(?<n>a)(?<N>b)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Seq[Open1<N> Lit\"b\" Close1]]"},
      {"(?P<n>a)", "Seq[Open1<n> Lit\"a\" Close1]"},
      {"(?'n'a)", "Seq[Open1<n> Lit\"a\" Close1]"},
      {"(?<12>x)", "Seq[Open12 Lit\"x\" Close12]"},
      {"((a)b)", "Seq[Open1 Seq[Seq[Open2 Lit\"a\" Close2] Lit\"b\"] Close1]"},
      {"(abc", "Seq[Open1 Lit\"abc\" Close1]"},
      {"abc)def", "Lit\"abc\""},
      {"a(b", "Seq[Lit\"a\" Seq[Open1 Lit\"b\" Close1]]"},
  });
}

TEST(Compiler, BackReferences) {
  ExpectTrees({
      {"(a)\\1", "Seq[Seq[Open1 Lit\"a\" Close1] Backref(1)]"},
      {"\\1234", "Seq[Backref(123) Lit\"4\"]"},
      {"\\k", "Backref(0)"},
      {"\\k<2>", "Backref(2)"},
      {"\\g'1'", "Backref(1)"},
      {"\\k<n>", "Backref(-3<n>)"},
      {"(?<n>a)\\k<N>", "Seq[Seq[Open1<n> Lit\"a\" Close1] Backref(1<N>)]"},
      {"\\k<n>(?<n>a)", "Seq[Backref(1<n>) Seq[Open1<n> Lit\"a\" Close1]]"},
      {"(?i)(a)\\1", "Seq[Empty Seq[Open1 Lit/i\"a\" Close1] Backref/i(1)]"},
  });
}

TEST(Compiler, BoundariesAndAnchors) {
  ExpectTrees({
      {"^abc$", "Seq[TextStart Lit\"abc\" TextEnd]"},
      {"^abc$", "Seq[LineStart Lit\"abc\" LineEnd]", PF_MULTI_LINE},
      {"(?m)^", "Seq[Empty LineStart]"},
      {"\\A\\z\\Z\\b\\B", "Seq[TextStart TextEnd TextEndOrFinalBreak WordEdge !WordEdge]"},
      {"\\G", "Empty"},
      {"\\G", "SearchStart", PF_SEARCH_START},
      {"(?g)\\G", "Seq[Empty SearchStart]"},
  });
}

TEST(Compiler, LookaroundAndAtomicGroups) {
  ExpectTrees({
      {"(?=a)", "Look(Lit\"a\")"},
      {"(?!a)", "NotLook(Lit\"a\")"},
      {"(?<=ab)", "Look(Lit/r\"ab\")"},
      {"(?<!a|bc)", "NotLook(Alt[Lit/r\"a\" Lit/r\"bc\"])"},
      {"(?<=a(b))", "Look(Seq/r[Lit/r\"a\" Seq/r[Close1 Lit/r\"b\" Open1]])"},
      {"(?<=(?=a)b)", "Look(Seq/r[Look(Lit\"a\") Lit/r\"b\"])"},
      {"(?>a+)", "Atomic(Greedy{1,+inf}(Lit\"a\"))"},
  });
}

TEST(Compiler, Conditionals) {
  ExpectTrees({
      {"(a)?(?(1)b|c)", "Seq[Greedy{0,1}(Seq[Open1 Lit\"a\" Close1]) Cond(1 Lit\"b\" Lit\"c\")]"},
      {"(?(1)a|b|c)", "Cond(1 Lit\"a\" Alt[Lit\"b\" Lit\"c\"])"},
      {"(?(?=x)a)", "Cond(Look(Lit\"x\") Lit\"a\" -)"},
      {"(?(?!x)a|b)", "Cond(NotLook(Lit\"x\") Lit\"a\" Lit\"b\")"},
      {"(?<n>a)(?(n)b)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Cond(1<n> Lit\"b\" -)]"},
      {"(?(x)a)", "Cond(<x>Look(Lit\"x\") Lit\"a\" -)"},
  });
}

TEST(Compiler, RecursionLinksAfterTheBuild) {
  ExpectTrees({
      {"(?R)", "Recurse(0)"},
      {"(?0)", "Recurse(0)"},
      {"(a)(?1)", "Seq[Seq[Open1 Lit\"a\" Close1] Recurse(1)]"},
      {"(?R<n>)", "Recurse(-3<n>)"},
      {"(?<n>a)(?R<n>)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Recurse(1<n>)]"},
      {"(?R'2')", "Recurse(2)"},
  });
}

TEST(Compiler, CompileFlagsApplyToTheWholePattern) {
  ExpectTrees({
      {"ab", "Lit/r\"ab\"", PF_RIGHT_TO_LEFT},
      {"a(b)", "Seq/r[Lit/r\"a\" Seq/r[Close1 Lit/r\"b\" Open1]]", PF_RIGHT_TO_LEFT},
      {"ab", "Lit/i\"ab\"", PF_IGNORE_CASE},
      {"a b # c", "Lit\"ab\"", PF_EXTENDED},
  });
}

TEST(Compiler, GroupNumbersAndNamesAreKnownAfterCompile) {
  PatternCompiler compiler;
  const std::string pattern = "(a)(?<first>b)(c)(?<second>d)(?<FIRST>e)";
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), 0);
  EXPECT_EQ(compiler.HighestGroup(), 4);
  EXPECT_EQ(compiler.FindNamedGroup("first"), 3);
  EXPECT_EQ(compiler.FindNamedGroup("First"), 3);
  EXPECT_EQ(compiler.FindNamedGroup("second"), 4);
  EXPECT_EQ(compiler.FindNamedGroup("third"), -3);
  EXPECT_EQ(compiler.FindNamedGroup("firs"), -3);
}

TEST(Compiler, CompilingAgainReplacesTheTreeAndClearForgetsIt) {
  PatternCompiler compiler;
  compiler.Compile("(?<n>a)(b)", 10, PF_IGNORE_CASE);
  compiler.Compile("x", 1, 0);
  EXPECT_EQ(compiler.Dump(), "Lit\"x\"");
  EXPECT_EQ(compiler.HighestGroup(), 0);
  EXPECT_EQ(compiler.FindNamedGroup("n"), -3);
  EXPECT_EQ(compiler.Flags(), 0);
  compiler.Clear();
  EXPECT_EQ(compiler.TopNode(), nullptr);
  EXPECT_EQ(IsMatched(compiler.Search("x", 1, 0)), 0);
}

TEST(Compiler, ANullPatternCompilesToNothing) {
  PatternCompiler compiler;
  compiler.Compile(nullptr, 5, 0);
  EXPECT_EQ(compiler.TopNode(), nullptr);
  EXPECT_EQ(compiler.Dump(), "");
  EXPECT_TRUE(compiler.Search("", 0, 0).empty());
}

TEST(Compiler, ReadDecimalTakesAtMostThreeDigitsAndSurroundingSpace) {
  struct Row {
    std::string text;
    bool read;
    int value;
    std::string rest;
  };
  const std::vector<Row> rows = {
      {"12", true, 12, ""},   {" 7 ,3", true, 7, ",3"}, {"1234", true, 123, "4"},
      {"", false, -5, ""},    {" x", false, -5, " x"},  {"0", true, 0, ""},
      {"\t9\n", true, 9, ""},
  };
  for (const Row& row : rows) {
    std::string_view text = row.text;
    int value = -5;
    EXPECT_EQ(ReadDecimal(text, value), row.read) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
    EXPECT_EQ(text, row.rest) << row.text;
  }
}

}  // namespace
}  // namespace kv
