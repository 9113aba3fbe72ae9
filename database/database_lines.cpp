// ReadDatabaseLines: the loader's walk over the lines of a database file
// (format in virus_database.h), and the line cursor it walks with.
//
// Lines that the format forbids are never stored: an encoded line over 159
// characters (the handset's line buffer) reads as one that fails to decode,
// an empty plain line, and a character-section line shorter than its
// 20-character name field is skipped. A plain line ends at its first zero
// byte. What the handset passed over in silence is counted, for the update's
// checks and the tools.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "database/database_lines.h"
#include "database/line_decoder.h"
#include "database/virus_database.h"
#include "platform/limits.h"

namespace kv {
namespace {

enum class Section { kCharacter, kFile, kProcess };

constexpr std::string_view kCharacterMarker = "[VirusCharacter]";
constexpr std::string_view kFileMarker = "[VirusFile]";
constexpr std::string_view kProcessMarker = "[VirusProcess]";
constexpr std::string_view kDeleteFilesMarker = "[DELETE_FILES]";

// The plain text of a stored line, as far as its first zero byte; nullopt
// when the line is longer than the format allows or cannot be decoded.
std::optional<std::string> DecodePlainLine(std::string_view stored) {
  std::string plain;
  if (stored.size() > limits::kMaxEncodedLine || !DecodeDatabaseLine(kDatabaseKey, stored, plain)) {
    return std::nullopt;
  }
  plain.resize(std::min(plain.size(), plain.find('\0')));
  return plain;
}

// A character-section record: the name is the text in front of the first
// blank of the name field (empty without one), the pattern the rest.
SignatureRecord CharacterRecord(std::string_view plain) {
  const std::string_view field = plain.substr(0, limits::kNameFieldLength);
  const std::size_t blank = field.find(' ');
  SignatureRecord record;
  record.pattern = plain.substr(limits::kNameFieldLength);
  if (blank != std::string_view::npos) record.name = field.substr(0, blank);
  return record;
}

}  // namespace

int32_t ParseVersion(std::string_view text) {
  std::size_t pos = text.find_first_not_of(" \t\n\v\f\r");
  if (pos == std::string_view::npos) return 0;
  const bool negative = text[pos] == '-';
  if (text[pos] == '-' || text[pos] == '+') ++pos;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = std::min(value * 10 + (text[pos] - '0'), limit);
  }
  return static_cast<int32_t>(negative ? -value : value);
}

std::optional<std::string_view> DatabaseLineCursor::Next() {
  if (lineStart_ >= content_.size()) return std::nullopt;
  const std::size_t cr = content_.find('\r', lineStart_);
  if (cr == std::string_view::npos) return std::nullopt;
  const std::string_view text = content_.substr(lineStart_, cr - lineStart_);
  consumed_ += text.size() + 2;
  ++lineNumber_;
  lineStart_ = cr + 2;
  return text;
}

DatabaseContents ReadDatabaseLines(std::string_view content) {
  DatabaseContents contents;
  content = content.substr(0, limits::kMaxDatabaseBytes);
  contents.lastLineCut = !content.empty() && !content.ends_with("\r\n");
  DatabaseLineCursor cursor(content);
  const std::optional<std::string_view> versionLine = cursor.Next();
  if (!versionLine) return contents;
  contents.version = ParseVersion(*versionLine);

  // A stored line's plain text; one that cannot be decoded reads as an
  // empty line, as on the handset, and is counted.
  const auto plainOf = [&contents](std::string_view stored) {
    std::optional<std::string> plain = DecodePlainLine(stored);
    if (!plain) ++contents.undecodableLines;
    return plain.value_or(std::string());
  };

  Section section = Section::kCharacter;
  while (const std::optional<std::string_view> stored = cursor.Next()) {
    const std::string plain = plainOf(*stored);
    // The handset's line buffer could not hold it: never stored.
    if (stored->size() > limits::kMaxEncodedLine) continue;
    if (plain.find(kCharacterMarker) != std::string::npos) {
      section = Section::kCharacter;
      continue;
    }
    if (plain.find(kFileMarker) != std::string::npos) {
      section = Section::kFile;
      continue;
    }
    if (plain.find(kProcessMarker) != std::string::npos) {
      section = Section::kProcess;
      continue;
    }
    if (plain.find(kDeleteFilesMarker) != std::string::npos) {
      contents.deleteFilesOffset = static_cast<int32_t>(cursor.Consumed());
      while (const std::optional<std::string_view> listLine = cursor.Next()) {
        contents.deleteListLines.push_back(plainOf(*listLine));
      }
      return contents;
    }

    switch (section) {
      case Section::kCharacter:
        if (plain.size() < limits::kNameFieldLength) continue;
        contents.characterSignatures.push_back(CharacterRecord(plain));
        break;
      case Section::kFile:
        contents.fileSignatures.push_back(SignatureRecord{plain, {}});
        break;
      case Section::kProcess:
        contents.processSignatures.push_back(SignatureRecord{plain, {}});
        break;
    }
    if (cursor.Consumed() >= content.size()) return contents;
  }
  return contents;
}

}  // namespace kv
