// CheckDatabaseCandidate: the checks run in the order of the file, so the
// first fault found is the one named, and the snapshot is built only from
// a body that passed them all. Every line after the version line is
// decoded, those after "[DELETE_FILES]" too: the delete-list reader decodes
// them when a scan runs, and a line it cannot read would be found only then.
#include "update/database_candidate.h"

#include <charconv>
#include <optional>
#include <string>
#include <system_error>

#include "database/database_lines.h"
#include "database/line_decoder.h"
#include "database/signature_database.h"
#include "database/virus_database.h"
#include "platform/limits.h"

namespace kv {
namespace {

using Reason = DatabaseRefusal::Reason;

// The version line's number: decimal digits only, within 32 bits.
std::optional<std::int32_t> StrictVersion(std::string_view line) {
  std::int32_t version = 0;
  const auto [last, error] = std::from_chars(line.data(), line.data() + line.size(), version);
  if (line.empty() || line.front() == '-' || error != std::errc() ||
      last != line.data() + line.size()) {
    return std::nullopt;
  }
  return version;
}

std::optional<DatabaseRefusal> FirstFault(std::string_view body, std::int32_t announcedVersion) {
  DatabaseLineCursor cursor(body);
  const std::optional<std::string_view> versionLine = cursor.Next();
  const std::optional<std::int32_t> version =
      versionLine ? StrictVersion(*versionLine) : std::nullopt;
  if (!version) return DatabaseRefusal{Reason::kNoVersionLine, 0};
  if (*version != announcedVersion) return DatabaseRefusal{Reason::kVersionMismatch, *version};
  while (const std::optional<std::string_view> stored = cursor.Next()) {
    const auto line = static_cast<std::int64_t>(cursor.LineNumber());
    if (stored->size() > limits::kMaxEncodedLine)
      return DatabaseRefusal{Reason::kLineTooLong, line};
    if (std::string plain; !DecodeDatabaseLine(kDatabaseKey, *stored, plain)) {
      return DatabaseRefusal{Reason::kUndecodableLine, line};
    }
  }
  if (!body.ends_with("\r\n")) return DatabaseRefusal{Reason::kCutLastLine, 0};
  return std::nullopt;
}

}  // namespace

DatabaseCandidate CheckDatabaseCandidate(std::string_view body, std::int32_t announcedVersion) {
  if (const std::optional<DatabaseRefusal> fault = FirstFault(body, announcedVersion)) {
    return *fault;
  }
  std::shared_ptr<const SignatureDatabase> database =
      SignatureDatabase::Build(body, SignatureDatabase());
  if (!database->HasCharacterSignatures()) {
    return DatabaseRefusal{Reason::kNoCharacterSignature, 0};
  }
  return database;
}

}  // namespace kv
