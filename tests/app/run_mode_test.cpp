// The run mode a command line chooses, and the CAB path its argument gives.
#include "app/run_mode.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace kv {
namespace {

TEST(RunMode, TheArgumentChoosesTheModeInTheHandsetsOrder) {
  // clang-format off
  const std::pair<std::u16string, RunMode> cases[] = {
      {u"", RunMode::kInteractive},
      {u"-autoch", RunMode::kSelfScan},
      {u"-AUTOCHECK", RunMode::kCabCheck},
      {u"-autoc", RunMode::kCabCheck},
      {u"-hideandscan", RunMode::kBackgroundScan},
      {u"-hideandscan ", RunMode::kCabCheck},
      {u"-hide", RunMode::kInteractiveHidden},
      {u"-hidden", RunMode::kCabCheck},
  };
  // clang-format on
  for (const auto& [line, mode] : cases) {
    EXPECT_EQ(ChooseRunMode(line), mode) << Utf16ToUtf8(line);
  }
}

// The arguments joined with single blanks; the CAB path cut out of them.
TEST(RunMode, ArgumentsJoinWithSingleBlanksAndTheCabPathLosesQuotesAndTrailingBlanks) {
  EXPECT_EQ(JoinArguments({"\"\\My Documents\\a.cab\"", "", "caf\xc3\xa9"}),
            u"\"\\My Documents\\a.cab\"  caf\u00e9");
  const std::u16string longest = u"\\" + std::u16string(258, u'x');
  const std::pair<std::u16string, std::optional<std::u16string>> cases[] = {
      {u"\"\\My Documents\\a.cab\"   ", u"\\My Documents\\a.cab"},
      {u"\\a.cab   ", u"\\a.cab"},
      {u"\\a \"b\" c.cab", u"\\a \"b"},  // cut at the last quote
      {u"\"\"", u""},
      {u"\"" + longest + u"\"", longest},
      {longest + u"x", std::nullopt},
  };
  for (const auto& [argument, path] : cases) {
    EXPECT_EQ(CabPathOfArgument(argument), path) << Utf16ToUtf8(argument);
  }
}

}  // namespace
}  // namespace kv
