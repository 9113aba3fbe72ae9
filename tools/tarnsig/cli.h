// Command-line helpers shared by tarnsig's verbs: the verb table (names,
// arguments, summaries, entry points), the one-line error reports, and whole
// file reads and writes.
//
// Every error is one line on stderr starting "tarnsig: " and gives exit
// status 2, so that scripts can tell a refused input from a result.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUpdateFailed = 1;  // update only: the server's answer did not do
inline constexpr int kExitError = 2;

struct Verb {
  std::string_view name;
  std::string_view arguments;  // as shown in the usage text
  std::string_view summary;
  int (*run)(const Args& args);
};

std::span<const Verb> AllVerbs();

// The verb named `name`, or null.
const Verb* FindVerb(std::string_view name);

// The full usage text printed by -h/--help.
std::string UsageText();

// Reports "tarnsig: <message>" on stderr; returns kExitError.
int Fail(std::string_view message);

// Reports "tarnsig: <verb>: <problem> (usage: tarnsig <verb> <arguments>)".
int UsageError(std::string_view verb, std::string_view problem);

// The matching verbs search the fast way (prefilter, start filters)
// unless their first argument is this switch: then the reference way,
// compiling each pattern per search and trying every start position.
inline constexpr std::string_view kReferenceSwitch = "--reference";

// Removes a leading kReferenceSwitch from `args`; true when there was one.
bool TakeReferenceSwitch(Args& args);

// The single argument of a verb that takes one file, or a usage error.
// Returns kExitOk and sets `path`, else the reported status.
int SingleArgument(std::string_view verb, const Args& args, std::string& path);

// Why the host file `path` did not open, as the end of an error line:
// "'X' is a directory", "'X' is not a regular file" or "cannot open 'X'".
std::string OpenProblem(const std::string& path);

// Reads the whole regular file at `path` as bytes; reports a failure for
// `verb`: a missing or unopenable file, a directory, anything else that is
// not a regular file (a pipe or a device is refused at once, never read),
// a file over limits::kMaxDatabaseFileBytes (databases, their plain text,
// keys and signature lines are all far smaller; the bound keeps a wrong
// argument from taking memory), or a failed read.
int ReadWholeFile(std::string_view verb, const std::string& path, std::string& content);

// ReadWholeFile for a file to be searched by the pattern engine, which
// refuses one over limits::kMaxScannedFileBytes.
int ReadSearchableFile(std::string_view verb, const std::string& path, std::string& content);

// Replaces the file at `path` with `content`; reports a failure for `verb`.
int WriteWholeFile(std::string_view verb, const std::string& path, std::string_view content);

// Reads a database file for `verb` and refuses one in which no line ends
// (no CR at all): the loader would find not even a version line in it.
int ReadDatabaseFile(std::string_view verb, const std::string& path, std::string& content);

// `text` with bytes below 0x20, 0x7F and bytes from 0x80 shown as \xHH, so
// that a listed value stays on one line of plain ASCII.
std::string Printable(std::string_view text);

}  // namespace kv::tarnsig
