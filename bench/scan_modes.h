// The ways the store benchmark scans a store, each one file after another
// on one thread (PlainRead on as many as asked), reading every file as the
// scanner does (opened with no sharing, read whole into one reused buffer
// a thread):
// - PlainRead: reading alone, the ceiling;
// - MatcherScan: FileMatcher the fast or the reference way;
// - Pcre2Scan: PCRE2 with its JIT, the same signatures one after another,
//   the baseline (signatures PCRE2 cannot compile are left out and counted).
// Each returns one code per file, as FindMatchingSignature gives them
// (signature position + 1, 0 clean, -1 not checked).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "database/signature_database.h"
#include "platform/store.h"
#include "scan/file_matcher.h"

namespace kv::bench {

struct ScanOutcome {
  std::vector<int> codes;  // per scanned file
  std::size_t bytes = 0;   // bytes read (MatcherScan: set by the caller)
  double seconds = 0;
  std::size_t skippedSignatures = 0;  // Pcre2Scan: those PCRE2 cannot compile
  double MegabytesPerSecond() const { return seconds > 0 ? bytes / 1e6 / seconds : 0; }
};

// `threads`: readers taking the next file in turn, to show how far reading
// alone scales on this machine; the seconds are all readers' processor time.
ScanOutcome PlainRead(const Store& store, const std::vector<std::u16string>& paths,
                      unsigned threads = 1);

ScanOutcome MatcherScan(const Store& store, const SignatureDatabase& database, MatchPath path,
                        const std::vector<std::u16string>& paths);

ScanOutcome Pcre2Scan(const Store& store, const std::vector<std::string>& patterns,
                      const std::vector<std::u16string>& paths);

}  // namespace kv::bench
