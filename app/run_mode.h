// Choosing the run mode from the command line, and cleaning up the CAB
// check's argument.
//
// Entry points: JoinArguments, ChooseRunMode, CabPathOfArgument.
// The handset passes its program one command line; on Linux it is the
// arguments joined with single blanks, so `tarnwatch '"\My Documents\a.cab"  '`
// and the shell's open command see the same text the handset did.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

enum class RunMode {
  kInteractive,        // no argument
  kInteractiveHidden,  // "-hide"
  kSelfScan,           // an argument beginning "-autoch"
  kBackgroundScan,     // "-hideandscan"
  kCabCheck,           // anything else: a CAB package's path
};

// The host arguments (UTF-8) as the handset's command line (UTF-16).
std::u16string JoinArguments(const std::vector<std::string>& arguments);

// The mode, tested in the handset's order: "-autoch" as a case-sensitive
// prefix of exactly seven characters, then "-hideandscan", then "-hide".
RunMode ChooseRunMode(std::u16string_view commandLine);

// The CAB path in the argument: trailing blanks removed, the text cut at
// its last double quote, and a leading double quote removed. Nothing when
// the result does not fit the handset's 260-unit path buffer.
std::optional<std::u16string> CabPathOfArgument(std::u16string_view argument);

}  // namespace kv
