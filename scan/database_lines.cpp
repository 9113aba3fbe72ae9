// ReadDatabaseLines: the loader's walk over the lines of a database file
// (format in virus_database.h), and the line cursor it walks with.
//
// Lines that the format forbids are skipped, never stored: an encoded line
// over 159 characters (the handset's line buffer) and a character-section
// line shorter than its 20-character name field. A line that fails to decode
// reads as an empty plain line, and a plain line ends at its first zero byte.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/limits.h"
#include "scan/database_lines.h"
#include "scan/line_decoder.h"
#include "scan/virus_database.h"

namespace kv {
namespace {

enum class Section { kCharacter, kFile, kProcess };

constexpr std::string_view kCharacterMarker = "[VirusCharacter]";
constexpr std::string_view kFileMarker = "[VirusFile]";
constexpr std::string_view kProcessMarker = "[VirusProcess]";
constexpr std::string_view kDeleteFilesMarker = "[DELETE_FILES]";

// The plain text of a stored line, as far as its first zero byte; empty when
// the line cannot be decoded.
std::string DecodePlainLine(std::string_view stored) {
  std::string plain;
  if (!DecodeDatabaseLine(kDatabaseKey, stored, plain)) return {};
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

void ReadDatabaseLines(std::string_view content, SignatureDatabase& database) {
  content = content.substr(0, limits::kMaxDatabaseBytes);
  DatabaseLineCursor cursor(content);
  const std::optional<std::string_view> versionLine = cursor.Next();
  if (!versionLine) return;
  database.dbVersion = ParseVersion(*versionLine);

  Section section = Section::kCharacter;
  while (const std::optional<std::string_view> stored = cursor.Next()) {
    if (stored->size() > limits::kMaxEncodedLine) continue;
    const std::string plain = DecodePlainLine(*stored);

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
      database.deleteFilesOffset = static_cast<int32_t>(cursor.Consumed());
      return;
    }

    switch (section) {
      case Section::kCharacter:
        if (plain.size() < limits::kNameFieldLength) continue;
        database.characterSignatures.push_back(CharacterRecord(plain));
        break;
      case Section::kFile:
        database.fileSignatures.push_back(SignatureRecord{plain, {}});
        break;
      case Section::kProcess:
        database.processSignatures.push_back(SignatureRecord{plain, {}});
        break;
    }
    if (cursor.Consumed() >= content.size()) return;
  }
}

}  // namespace kv
