// Command-line helpers shared by tarnreg's verbs: the verb table, the usage
// text, one-line error reports, the (Yes/No) question, and the shapes in
// which keys and values are shown.
//
// Every error is one line on stderr starting "tarnreg: ". Exit status 0 is
// success, 1 a key or value that was not found or a question answered No,
// 2 a usage error or a hive that cannot be read or written: scripts can
// tell "not there" from "broken".
#pragma once

#include <string>
#include <string_view>

#include "registry/hive.h"
#include "tools/tarnreg/command.h"

namespace kv::tarnreg {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;
inline constexpr int kExitError = 2;

struct Verb {
  std::string_view name;
  std::string_view arguments;  // as shown in the usage text
  unsigned switches;           // the switch bits (command.h) the verb accepts
  int (*run)(RegistryHive& hive, const Command& command);
};

// The verb named `name` in any letter case, or null.
const Verb* FindVerb(std::string_view name);

// The full usage text printed by -h/--help.
std::string UsageText();

// Reports "tarnreg: <message>" on stderr, control characters shown as \xHH;
// returns kExitError.
int Fail(std::string_view message);

// Reports "tarnreg: <verb>: <problem> (usage: tarnreg <verb> <arguments>)".
int UsageError(const Verb& verb, std::string_view problem);

// What a report names: "key 'KEY'" or "value NAME in 'KEY'", KEY as typed.
std::string KeySubject(const Command& command);
std::string ValueSubject(const Command& command);

// Reports a hive answer other than kOk for `verb`: kNotFound says that
// `subject` was not found and returns kExitNo; the rest return kExitError,
// a host failure naming its `cause`.
int ReportFailure(std::string_view verb, RegistryStatus status, int cause, const RegistryHive& hive,
                  const std::string& subject);

// Asks "<question> (Yes/No)? " on stdout and reads a line from stdin: true
// for y or yes in any case; anything else, and end of input, is No.
bool Confirm(const std::string& question);

// Prints the closing line of a successful change.
int Completed();

// A value's name as shown: "(Default)" for the default value.
std::string DisplayName(std::u16string_view valueName);

// The value of `listing` named `name` ignoring case, or null.
const RegistryValue* FindListedValue(const RegistryKeyListing& listing, std::u16string_view name);

}  // namespace kv::tarnreg
