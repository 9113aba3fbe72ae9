// The file matcher: decides whether one file of the store is a Trojan by
// searching its whole content, read into memory, with the pattern of every
// character signature in list order; the first hit decides.
//
// Entry points: CheckFile (with optional deletion), FindMatchingSignature
// (which signature), MatchSignatures (a byte range). Patterns are compiled
// afresh for every check: this is the reference matcher, kept simple.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/store.h"

namespace kv {

// Results of CheckFile.
enum FileCheckResult : int {
  kFileClean = 0,           // no signature found; or absent from its folder; or empty
  kFileDeleted = 1,         // found and deleted
  kFileFound = 2,           // found, deletion not asked for
  kFileDeleteFailed = 3,    // found, deletion asked for and failed
  kFileUnreadable = -1,     // cannot be opened (other than absent) or read, or the engine failed
};

int CheckFile(const platform::Store& store, std::u16string_view path, int deleteOnMatch);

// Position + 1 of the first character signature found in the file; 0 when
// none is, or the file is absent or empty; -1 as for CheckFile. Never deletes.
int FindMatchingSignature(const platform::Store& store, std::u16string_view path);

// True as soon as one character signature is found in data[0, length).
// Engine failures propagate as exceptions (PatternEngineFailure,
// std::bad_alloc). `length` is at most limits::kMaxScannedFileBytes.
bool MatchSignatures(const char* data, std::size_t length);

// As MatchSignatures, but tells which: the position + 1 of the first
// character signature found, 0 when none is.
int FirstMatchingSignature(const char* data, std::size_t length);

}  // namespace kv
