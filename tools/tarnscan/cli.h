// Command-line helpers shared by tarnscan's verbs: the verb table, the usage
// text, one-line error reports, and the opening of the device prefix.
//
// Every error is one line on stderr starting "tarnscan: ". Exit status 0 is
// success, 1 a request refused (no such item, something already at the
// target), 2 a usage error or a prefix, log or quarantine that cannot be
// read or changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/store.h"

namespace kv::tarnscan {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitError = 2;

using Args = std::vector<std::string>;

// One verb: a word, or a word and a sub-verb ("quarantine list"). New verbs
// are one more row of the table in cli.cpp and one more file.
struct Verb {
  std::string_view name;
  std::string_view subVerb;                        // "" for a one-word verb
  std::string_view arguments;                      // as shown in the usage text
  int (*run)(const Verb& verb, const Args& args);  // the arguments after the verb
};

// The verb that `args` (everything after the program's name) starts with,
// or null; `used` is how many words it took.
const Verb* FindVerb(const Args& args, std::size_t& used);

// The full usage text printed by -h/--help.
std::string UsageText();

// Reports "tarnscan: <message>" on stderr, control characters shown as
// \xHH; returns `status`.
int Fail(std::string_view message, int status = kExitError);

// Reports "tarnscan: <verb>: <problem> (usage: tarnscan <verb> <arguments>)"
// and returns kExitError.
int UsageError(const Verb& verb, std::string_view problem);

// "quarantine list", "log": the verb as typed in messages.
std::string VerbName(const Verb& verb);

// Takes "--format text|ndjson" at `args[i]` into `format` (moving `i` to its
// value); kExitOk, or the usage error's status after reporting it.
int TakeFormat(const Verb& verb, const Args& args, std::size_t& i, std::string& format);

// Opens the prefix $KESTRELVOX_PREFIX as a store; false after reporting.
bool OpenPrefix(Store& store);

// UTF-16 text for the terminal: UTF-8, with control characters other than
// the tab shown as U+FFFD, so that one record stays one line.
std::string TerminalText(std::u16string_view text);

}  // namespace kv::tarnscan
