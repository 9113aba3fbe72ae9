// The authoring checks of tarnsig lint (and of encode, which refuses what
// they call an error): they read a database's plain lines the way the
// loader (scan/virus_database.h) reads them and report where that differs
// from what the author most likely meant.
//
// Errors: a version line that is not a decimal number; in the character
// section a tab or an over-long name in the 20-character name column, a
// blank inside a name, a duplicate name, a line shorter than the column, an
// empty pattern, a pattern that does not compile or leaves a bracket open or
// closes one that was never opened; a line that looks like a section header
// but is none (its lines would land in the previous section); a section
// marker inside a longer line (the loader still takes it as the header); in
// the delete list, a group that names no signature and a line holding "["
// that is no "[name]" header. Warnings: path signatures that no content
// signature can confirm (the file signature pass deletes a named file only
// when a content signature matches it), paths that are no device path,
// duplicate paths or process names, unnamed signatures, trailing blanks in a
// pattern, empty lines, delete-list paths outside a group and groups with no
// path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv::tarnsig {

enum class LintSeverity { kWarning, kError };

struct LintFinding {
  std::size_t line = 0;    // counts the version line as 1
  std::size_t column = 0;  // from 1 in the plain line; 0 for the whole line
  LintSeverity severity = LintSeverity::kError;
  std::string message;
};

// One plain line after the version and its line number in the file.
struct NumberedLine {
  std::size_t number = 0;
  std::string text;
};

// Every finding about a database with this version line and these plain
// lines, ordered by line and column.
std::vector<LintFinding> LintDatabaseLines(std::string_view versionLine,
                                           const std::vector<NumberedLine>& lines);

// "FILE:LINE:COLUMN: error: MESSAGE" (no COLUMN when it is 0).
std::string FormatFinding(std::string_view file, const LintFinding& finding);

// Orders findings by line, then column, keeping the order of equals.
void SortFindings(std::vector<LintFinding>& findings);

bool HasError(const std::vector<LintFinding>& findings);

}  // namespace kv::tarnsig
