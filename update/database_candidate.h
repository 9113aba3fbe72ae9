// The load of a downloaded database before it may replace the old one:
// the body is decoded, compiled and analysed into a snapshot in memory, and
// refused when it is no whole database of the version the server announced.
//
// Entry point: CheckDatabaseCandidate. It is the update's only user of the
// scan engine's loader internals, so that a change of how a snapshot is
// built touches this one file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <variant>

#include "database/signature_database.h"

namespace kv {

// Why a downloaded database was refused.
struct DatabaseRefusal {
  enum class Reason {
    kNoVersionLine,         // line 1 is not decimal digits within 32 bits
    kVersionMismatch,       // line 1 differs from the announced version
    kLineTooLong,           // a stored line over the 159 characters a line holds
    kUndecodableLine,       // a stored line that does not decode
    kCutLastLine,           // the body does not end in CR LF
    kNoCharacterSignature,  // nothing for a scan to match file contents with
  };
  Reason reason = Reason::kNoVersionLine;
  // kVersionMismatch: the version line's number; kLineTooLong and
  // kUndecodableLine: the line's number (the version line is 1); else 0.
  std::int64_t number = 0;
};

using DatabaseCandidate = std::variant<DatabaseRefusal, std::shared_ptr<const SignatureDatabase>>;

// Loads `body` (a whole database file) as the database of version
// `announcedVersion`: either the refusal with its reason, or the snapshot
// the loader would build from the same bytes.
DatabaseCandidate CheckDatabaseCandidate(std::string_view body, std::int32_t announcedVersion);

}  // namespace kv
