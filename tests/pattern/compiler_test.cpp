// The compiler: pattern -> node tree, pinned through Dump(). The dump names
// node kinds (Seq, Alt, Lit, Class, Greedy, ...), `/r` right-to-left, `/i`
// ignore case, and group marks as OpenN/CloseN. What the trees match is
// pinned by conformance.txt; the rows here pin what matching cannot show:
// node kinds and counts, stock class contents, group numbers, the flags each
// node records, and names resolved after the build.
#include <gtest/gtest.h>

#include <string>

#include "pattern/pattern_compiler.h"
#include "pattern/pattern_flags.h"
#include "pattern_test_support.h"

namespace kv {
namespace {

using test::PatternRow;
using test::Rows;

class Compiler : public ::testing::TestWithParam<PatternRow> {};

TEST_P(Compiler, BuildsTheListedTree) {
  EXPECT_EQ(test::Compiled(GetParam().pattern, GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(QuantifiersBindToOneAtomInSequencesAndAlternations, Compiler,
                         Rows({{"", "Empty"},
                               {"abc*", "Seq[Lit\"ab\" Greedy{0,+inf}(Lit\"c\")]"},
                               {"a|b|()", "Alt[Lit\"a\" Lit\"b\" Seq[Open1 Empty Close1]]"},
                               {"a+b?", "Seq[Greedy{1,+inf}(Lit\"a\") Greedy{0,1}(Lit\"b\")]"},
                               {"a*?b*+",
                                "Seq[Lazy{0,+inf}(Lit\"a\") Possessive{0,+inf}(Lit\"b\")]"},
                               {"a{2,5}?", "Lazy{2,5}(Lit\"a\")"},
                               {"a{3}+", "Repeat{3}(Lit\"a\")"}}));

INSTANTIATE_TEST_SUITE_P(ClassEscapesAreStockClasses, Compiler,
                         Rows({{".", "Class^[\\x0a]"},
                               {".", "Class^[]", PF_SINGLE_LINE},
                               {"\\w", "Class[A-Z a-z 0-9 _]"},
                               {"\\S", "Class^[\\x20 \\x09 \\x0d \\x0a]"},
                               {"\\D", "Class^[0-9]"},
                               {"(?<=\\s)", "Look(Class/r[\\x20 \\x09 \\x0d \\x0a \\x0c \\x0b])"},
                               {"\\d", "Class/r[0-9]", PF_RIGHT_TO_LEFT}}));

INSTANTIATE_TEST_SUITE_P(BracketClassesAndIgnoreCaseWideningThem, Compiler,
                         Rows({{"[^a-z_]", "Class^[a-z _]"},
                               {"[\\d.]", "Class[. Class[0-9]]"},
                               {"[[:alpha:]_]", "Class[_ Posix[:alpha:]]"},
                               {"(?i)[Ab]", "Seq[Empty Class[A b a B]]"},
                               {"(?i)[Aa]", "Seq[Empty Class[A a]]"},
                               {"(?i)[A-z]", "Seq[Empty Class[A-z]]"},
                               {"(?i)[A-Za-z]", "Seq[Empty Class[A-Z a-z a-z A-Z]]"},
                               {"(?i)[X-c]", "Seq[Empty Class[X-c x-z A-C]]"},
                               {"[a1]", "Class[a 1 A]", PF_IGNORE_CASE}}));

INSTANTIATE_TEST_SUITE_P(
    NodesRecordTheFlagsInForceWhereTheyAreBuilt, Compiler,
    Rows({{"(?i)abc|def", "Alt[Seq[Empty Lit/i\"abc\"] Lit/i\"def\"]"},
          {"(?-i)a", "Seq[Empty Lit\"a\"]", PF_IGNORE_CASE},
          {"a(b)", "Seq/r[Lit/r\"a\" Seq/r[Close1 Lit/r\"b\" Open1]]", PF_RIGHT_TO_LEFT},
          {"(?<=(?=a)b)", "Look(Seq/r[Look(Lit\"a\") Lit/r\"b\"])"},
          {"a b # c", "Lit\"ab\"", PF_EXTENDED},
          {"^$\\A\\z\\Z\\b\\B\\G",
           "Seq[TextStart TextEnd TextStart TextEnd TextEndOrFinalBreak WordEdge !WordEdge Empty]"},
          {"^$\\G", "Seq[LineStart LineEnd SearchStart]", PF_MULTI_LINE | PF_SEARCH_START}}));

INSTANTIATE_TEST_SUITE_P(
    NamesAndNumbersResolveAfterTheBuild, Compiler,
    Rows({{"\\k<n>", "Backref(-3<n>)"},
          {"\\k<n>(?<n>a)", "Seq[Backref(1<n>) Seq[Open1<n> Lit\"a\" Close1]]"},
          {"(a)(?1)", "Seq[Seq[Open1 Lit\"a\" Close1] Recurse(1)]"},
          {"(?R<n>)", "Recurse(-3<n>)"},
          {"(?<n>a)(?R<n>)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Recurse(1<n>)]"},
          {"(?(1)a|b|c)", "Cond(1 Lit\"a\" Alt[Lit\"b\" Lit\"c\"])"},
          {"(?(?=x)a)", "Cond(Look(Lit\"x\") Lit\"a\" -)"},
          {"(?<n>a)(?(n)b)", "Seq[Seq[Open1<n> Lit\"a\" Close1] Cond(1<n> Lit\"b\" -)]"},
          {"(?(x)a)", "Cond(<x>Look(Lit\"x\") Lit\"a\" -)"}}));

TEST(CompiledPattern, CompilingAgainReplacesTheTreeAndClearForgetsIt) {
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
  compiler.Compile(nullptr, 5, 0);
  EXPECT_EQ(compiler.TopNode(), nullptr);
  EXPECT_TRUE(compiler.Search("", 0, 0).empty());
}

}  // namespace
}  // namespace kv
