// Verdict: what the scanner concluded about one file. A file is clean,
// infected (by which character signature), or not checked, with the reason.
// "Not checked" is never a kind of clean: every caller that reports,
// counts, logs or deletes goes by the kind, and the handset's integer
// results are derived from it only where an interface needs them.
//
// Entry points: Verdict, NotCheckedReason, DescribeReason, VerdictOfOpen.
#pragma once

#include <cstddef>
#include <string_view>

#include "pattern/search_result.h"
#include "platform/files.h"

namespace kv {

enum class NotCheckedReason {
  kAbsent,          // a file named or listed was not there when it was opened
  kTooLarge,        // larger than limits::kMaxScannedFileBytes
  kUnreadable,      // it could not be opened, sized or read whole
  kLocked,          // another opener holds a lock on it
  kNotRegularFile,  // a directory, pipe, socket or device
  kUnnamable,       // its name or path is more than a device path can hold
  kEngineBound,     // a signature's search ran over an engine bound
  kCancelled,       // the scan was stopped while the file was searched
  kNoDatabase,      // no character signature is loaded
};

// A short English phrase ("too large", "locked"), for tools and reports.
std::string_view DescribeReason(NotCheckedReason reason);

struct Verdict {
  enum class Kind { kClean, kInfected, kNotChecked };

  Kind kind = Kind::kClean;
  std::size_t signature = 0;  // kInfected: position in the character signatures
  NotCheckedReason reason = NotCheckedReason::kUnreadable;  // kNotChecked
  SearchStatus engineStatus = SearchStatus::kNoMatch;       // kEngineBound: how

  static Verdict Clean() { return {}; }
  static Verdict Infected(std::size_t signature) { return {Kind::kInfected, signature}; }
  static Verdict NotChecked(NotCheckedReason reason, SearchStatus status = SearchStatus::kNoMatch) {
    return {Kind::kNotChecked, 0, reason, status};
  }

  bool IsClean() const { return kind == Kind::kClean; }
  bool IsInfected() const { return kind == Kind::kInfected; }
  bool IsNotChecked() const { return kind == Kind::kNotChecked; }

  // The handset's FindMatchingSignature value: position + 1 when infected,
  // 0 when clean, -1 when not checked.
  int Code() const;

  bool operator==(const Verdict&) const = default;
};

// The verdict for an open that did not succeed (`status` is not kOk).
Verdict VerdictOfOpen(FileStatus status);

}  // namespace kv
