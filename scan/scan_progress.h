// ScanProgress: how far an interactive scan has come, counted from its
// events, for the scan dialog's bar and progress line; and the summary
// line that closes its list. Free of any toolkit, so that the numbers are
// tested from scripted events.
//
// Entry points: ScanProgress (Add, Values), ProgressValues, ProgressLine,
// SummaryLine.
// Files are counted as they begin (FileChecking). The files expected are
// the full scan's count (ScanCounted) or the fast scan's number of file
// signatures; the memory scan has none. The rate is the bytes of the
// checked files over the time since the scan began.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "scan/scan_events.h"

namespace kv {

struct ProgressValues {
  std::uint64_t files = 0;             // files begun
  std::optional<std::uint64_t> total;  // files expected, never below `files`
  std::optional<int> percent;          // 0 to 100; none while the total is unknown
  double megabytesPerSecond = 0;       // 10^6 bytes
  std::chrono::seconds elapsed{0};
  bool operator==(const ProgressValues&) const = default;
};

class ScanProgress {
 public:
  void Add(const ScanEvent& event);
  // The values `elapsed` after the scan began.
  ProgressValues Values(std::chrono::milliseconds elapsed) const;

 private:
  std::uint64_t files_ = 0;
  std::optional<std::uint64_t> total_;
  std::uint64_t bytes_ = 0;
  bool finished_ = false;
};

// "n of N files   r MB/s   m:ss", or without "of N" while N is unknown.
std::u16string ProgressLine(const ProgressValues& values);

// "Checked: n, found: n, not checked: n": files checked, Trojans found.
std::u16string SummaryLine(const ScanTally& tally);

}  // namespace kv
