// tarnsig lint FILE: checks a signature database for authoring mistakes,
// either the plain file that encode reads or an encoded VirusDB.dat.
//
// A file is taken as encoded when its lines end in CR LF and most lines
// after the version are Base64 text. Encoded lines are walked
// and decoded as the loader does; a line that is too long or cannot be
// decoded, and bytes after the last CR LF, are errors. Plain lines are
// checked as encode checks them before storing.
//
// Output on stdout, one finding a line, ordered by line:
//   FILE:LINE[:COLUMN]: error|warning: MESSAGE
// (database_lint.h lists the checks). Exit status: 0 clean, 1 warnings
// only, 2 errors, or a file that cannot be read, or a usage error.
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/database_lines.h"
#include "database/line_decoder.h"
#include "database/virus_database.h"
#include "platform/limits.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/database_lint.h"
#include "tools/tarnsig/plain_lines.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "lint";
constexpr int kExitWarnings = 1;

constexpr std::string_view kBase64Text =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

// Most lines of an encoded file after the version are Base64 text (one
// that is not cannot be decoded); no plain line is: a header holds
// brackets, a signature line blanks, a path backslashes, a name a dot.
bool LooksEncoded(std::string_view content) {
  DatabaseLineCursor cursor(content);
  if (!cursor.Next()) return false;
  std::size_t base64 = 0;
  std::size_t other = 0;
  while (const std::optional<std::string_view> line = cursor.Next()) {
    if (line->empty()) continue;
    ++(line->find_first_not_of(kBase64Text) == line->npos ? base64 : other);
  }
  return base64 > other;
}

struct ReadLines {
  std::string version;
  std::vector<NumberedLine> lines;
  std::vector<LintFinding> findings;  // lines that cannot be read at all
};

ReadLines ReadEncoded(std::string_view content) {
  ReadLines read;
  const auto error = [&read](std::size_t line, std::string message) {
    read.findings.push_back({line, 0, LintSeverity::kError, std::move(message)});
  };
  DatabaseLineCursor cursor(content);
  read.version = std::string(cursor.Next().value_or(""));
  while (const std::optional<std::string_view> stored = cursor.Next()) {
    std::string plain;
    if (stored->size() > limits::kMaxEncodedLine) {
      error(cursor.LineNumber(), "longer than " + std::to_string(limits::kMaxEncodedLine) +
                                     " characters: the loader skips it");
    } else if (!DecodeDatabaseLine(kDatabaseKey, *stored, plain)) {
      error(cursor.LineNumber(), "the line cannot be decoded");
    } else {
      plain.resize(std::min(plain.size(), plain.find('\0')));
      read.lines.push_back({cursor.LineNumber(), std::move(plain)});
    }
  }
  if (!content.ends_with("\r\n")) {
    error(cursor.LineNumber() + 1, "bytes after the last CR LF: the file is cut");
  }
  return read;
}

ReadLines ReadPlain(std::string_view content) {
  ReadLines read;
  const std::vector<std::string_view> lines = SplitPlainLines(content);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const std::string problem = StorageProblem(lines[i], i == 0); !problem.empty()) {
      read.findings.push_back({i + 1, 0, LintSeverity::kError, problem});
    } else if (i == 0) {
      read.version = std::string(lines[i]);
    } else {
      read.lines.push_back({i + 1, std::string(lines[i])});
    }
  }
  return read;
}

}  // namespace

int RunLint(const Args& args) {
  std::string path;
  if (const int status = SingleArgument(kVerb, args, path); status != kExitOk) return status;
  std::string content;
  if (const int status = ReadWholeFile(kVerb, path, content); status != kExitOk) return status;
  if (content.empty()) return Fail(std::string(kVerb) + ": " + path + ": no version line");

  ReadLines read = LooksEncoded(content) ? ReadEncoded(content) : ReadPlain(content);
  std::vector<LintFinding> findings = LintDatabaseLines(read.version, read.lines);
  findings.insert(findings.end(), read.findings.begin(), read.findings.end());
  SortFindings(findings);
  std::string text;
  for (const LintFinding& finding : findings) text += FormatFinding(path, finding) + "\n";
  std::cout << text << std::flush;
  if (HasError(findings)) return kExitError;
  return findings.empty() ? kExitOk : kExitWarnings;
}

}  // namespace kv::tarnsig
