// Splitting a Windows command line into its arguments, as the handset's
// programs receive it. Internal to the platform layer: used where a store
// program is started as a host program (program_start.h).
//
// Entry point: SplitWindowsCommandLine.
// The rules are those of the shell's command-line splitter for the
// arguments after the program name:
// - blanks and tabs outside quotes separate arguments, and runs of them
//   count as one; leading and trailing ones give no argument;
// - a double quote opens or closes a quoted part, which keeps its blanks;
//   a quoted part may sit inside an argument (a"b c"d is one), and "" is an
//   empty argument;
// - backslashes are plain characters, except right before a double quote:
//   2n of them give n and the quote opens or closes, 2n+1 of them give n and
//   a literal quote;
// - a quote that directly follows a closing quote is a literal quote, and
//   the part stays closed ("a""b c" gives a"b and c); in general, within a
//   run of quotes every third quote state change yields a literal quote;
// - a quoted part left open runs to the end of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

std::vector<std::u16string> SplitWindowsCommandLine(std::u16string_view commandLine);

}  // namespace kv
