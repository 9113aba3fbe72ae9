// LintDatabaseLines: one walk over the plain lines with the loader's
// section rules (a marker counts anywhere in a line; "[DELETE_FILES]" takes
// every later line), then the checks that need the whole database: delete
// groups against signature names, path signatures against usable content
// signatures.
#include "tools/tarnsig/database_lint.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "pattern/compiled_pattern.h"
#include "pattern/search_result.h"
#include "platform/limits.h"

namespace kv::tarnsig {
namespace {

enum class Section { kCharacter, kFile, kProcess, kDeleteList };

struct Marker {
  std::string_view text;
  Section section;
};

// In the loader's order of looking.
constexpr std::array<Marker, 4> kMarkers = {{
    {"[VirusCharacter]", Section::kCharacter},
    {"[VirusFile]", Section::kFile},
    {"[VirusProcess]", Section::kProcess},
    {"[DELETE_FILES]", Section::kDeleteList},
}};

struct DeleteGroup {
  std::string name;
  std::size_t line = 0;
  std::size_t paths = 0;
};

class Linter {
 public:
  std::vector<LintFinding> Run(std::string_view versionLine,
                               const std::vector<NumberedLine>& lines) {
    CheckVersion(versionLine);
    for (const NumberedLine& line : lines) CheckLine(line);
    CheckDeleteGroups();
    CheckPathConfirmation();
    SortFindings(findings_);
    return std::move(findings_);
  }

 private:
  void Error(std::size_t line, std::size_t column, std::string message) {
    findings_.push_back({line, column, LintSeverity::kError, std::move(message)});
  }
  void Warning(std::size_t line, std::size_t column, std::string message) {
    findings_.push_back({line, column, LintSeverity::kWarning, std::move(message)});
  }

  void CheckVersion(std::string_view text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == text.npos;
    if (!digits) Error(1, 0, "the version is not a decimal number");
  }

  void CheckLine(const NumberedLine& line) {
    const std::string_view text = line.text;
    if (section_ == Section::kDeleteList) return CheckDeleteListLine(line.number, text);
    for (const Marker& marker : kMarkers) {
      const std::size_t at = text.find(marker.text);
      if (at == text.npos) continue;
      const std::size_t first = text.find_first_not_of(' ');
      const std::size_t last = text.find_last_not_of(' ');
      if (text.substr(first, last + 1 - first) != marker.text) {
        Error(line.number, at + 1,
              "'" + std::string(marker.text) +
                  "' stands inside a longer line, which is read as that section header");
      } else if (text != marker.text) {
        Warning(line.number, 1, "blanks around a section header");
      }
      section_ = marker.section;
      return;
    }
    if (text.empty()) return Warning(line.number, 0, "empty line");
    if (text.starts_with('[') && text.ends_with(']')) {
      return Error(line.number, 1,
                   "unknown section header '" + std::string(text) +
                       "': the lines after it stay in the section before it");
    }
    switch (section_) {
      case Section::kCharacter:
        return CheckCharacterLine(line.number, text);
      case Section::kFile:
        filePaths_.push_back(line.number);
        CheckDevicePath(line.number, text);
        return CheckDuplicate(fileSignatures_, line.number, text, "path");
      case Section::kProcess:
        return CheckDuplicate(processSignatures_, line.number, text, "process name");
      case Section::kDeleteList:
        return;
    }
  }

  void CheckCharacterLine(std::size_t number, std::string_view text) {
    constexpr std::size_t kColumn = limits::kNameFieldLength;
    const std::string_view field = text.substr(0, kColumn);
    if (const std::size_t tab = field.find('\t'); tab != field.npos) {
      return Error(number, tab + 1,
                   "a tab in the name column: pad the name with blanks to " +
                       std::to_string(kColumn) + " characters");
    }
    if (text.size() < kColumn) {
      return Error(number, 0,
                   "shorter than the " + std::to_string(kColumn) +
                       "-character name column: the loader skips it");
    }
    const std::size_t blank = field.find(' ');
    if (blank == field.npos) {
      return Error(number, kColumn,
                   "the name is longer than " + std::to_string(kColumn - 1) +
                       " characters: it runs into the pattern");
    }
    const std::string name(field.substr(0, blank));
    if (const std::size_t more = field.find_first_not_of(' ', blank); more != field.npos) {
      return Error(number, more + 1, "a blank inside the name: the name is read as '" + name + "'");
    }
    if (name.empty()) {
      Warning(number, 1, "the signature has no name");
    } else if (const auto [first, added] = names_.emplace(name, number); !added) {
      Error(number, 1,
            "duplicate name '" + name + "' (first on line " + std::to_string(first->second) + ")");
    }
    if (CheckPattern(number, text.substr(kColumn))) ++usableContentSignatures_;
  }

  // True when the pattern can match something.
  bool CheckPattern(std::size_t number, std::string_view pattern) {
    const std::size_t column = limits::kNameFieldLength + 1;
    if (pattern.empty()) {
      Error(number, column, "empty pattern: it matches any file");
      return false;
    }
    const CompiledPattern compiled = CompiledPattern::Compile(pattern);
    if (compiled.CompileStatus() != SearchStatus::kNoMatch) {
      Error(number, column,
            std::string("the pattern does not compile: ") +
                DescribeSearchStatus(compiled.CompileStatus()));
      return false;
    }
    if (const std::optional<BracketSlip> slip = compiled.FirstBracketSlip()) {
      const std::size_t at = column + static_cast<std::size_t>(slip->position);
      Error(number, at,
            slip->bracket == ')' ? std::string("')' closes no group: the pattern ends before it")
                                 : "'" + std::string(1, slip->bracket) + "' is never closed");
      return false;
    }
    if (pattern.ends_with(' ')) {
      Warning(number, column + pattern.find_last_not_of(' ') + 1,
              "trailing blanks are part of the pattern");
    }
    return true;
  }

  void CheckDevicePath(std::size_t number, std::string_view path) {
    if (!path.starts_with('\\')) {
      Warning(number, 1, "not a device path (it does not start with '\\'): it names no file");
    }
  }

  void CheckDuplicate(std::map<std::string, std::size_t>& seen, std::size_t number,
                      std::string_view text, std::string_view what) {
    if (const auto [first, added] = seen.emplace(text, number); !added) {
      Warning(number, 1,
              "duplicate " + std::string(what) + " (first on line " +
                  std::to_string(first->second) + ")");
    }
  }

  // The rules of SignatureDatabase::CompanionFiles: any "[" makes a header,
  // named by the line without its first and last character.
  void CheckDeleteListLine(std::size_t number, std::string_view text) {
    if (const std::size_t bracket = text.find('['); bracket != text.npos) {
      const bool wellFormed = text.size() > 2 && text.front() == '[' && text.back() == ']' &&
                              text.find_first_of("[]", 1) == text.size() - 1;
      if (!wellFormed) {
        Error(number, bracket + 1,
              "a delete-list line holding '[' is read as a group header; write '[NAME]'");
      }
      groups_.push_back(
          {std::string(text.substr(1, text.size() >= 2 ? text.size() - 2 : 0)), number, 0});
      return;
    }
    if (text.empty()) return Warning(number, 0, "empty line");
    if (groups_.empty()) return Warning(number, 1, "a path before the first group is never used");
    ++groups_.back().paths;
    CheckDevicePath(number, text);
  }

  void CheckDeleteGroups() {
    std::map<std::string, std::size_t> seen;
    for (const DeleteGroup& group : groups_) {
      const std::string shown = "delete-list group '[" + group.name + "]'";
      if (!names_.contains(group.name)) {
        Error(group.line, 1, shown + " names no signature");
      } else if (const auto [first, added] = seen.emplace(group.name, group.line); !added) {
        Warning(group.line, 1,
                shown + " is never used: the one on line " + std::to_string(first->second) +
                    " comes first");
      }
      if (group.paths == 0) Warning(group.line, 1, shown + " lists no file");
    }
  }

  void CheckPathConfirmation() {
    if (usableContentSignatures_ != 0) return;
    for (const std::size_t number : filePaths_) {
      Warning(number, 1,
              "no content signature can confirm this path: a named file is deleted only when "
              "one matches it");
    }
  }

  std::vector<LintFinding> findings_;
  Section section_ = Section::kCharacter;
  std::map<std::string, std::size_t> names_;  // character signature name -> line
  std::map<std::string, std::size_t> fileSignatures_;
  std::map<std::string, std::size_t> processSignatures_;
  std::vector<std::size_t> filePaths_;
  std::vector<DeleteGroup> groups_;
  std::size_t usableContentSignatures_ = 0;
};

}  // namespace

std::vector<LintFinding> LintDatabaseLines(std::string_view versionLine,
                                           const std::vector<NumberedLine>& lines) {
  return Linter().Run(versionLine, lines);
}

std::string FormatFinding(std::string_view file, const LintFinding& finding) {
  std::string text = std::string(file) + ":" + std::to_string(finding.line) + ":";
  if (finding.column != 0) text += std::to_string(finding.column) + ":";
  text += finding.severity == LintSeverity::kError ? " error: " : " warning: ";
  return text + finding.message;
}

void SortFindings(std::vector<LintFinding>& findings) {
  std::stable_sort(findings.begin(), findings.end(), [](const auto& a, const auto& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
}

bool HasError(const std::vector<LintFinding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const LintFinding& f) { return f.severity == LintSeverity::kError; });
}

}  // namespace kv::tarnsig
