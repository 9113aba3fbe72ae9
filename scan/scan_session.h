// ScanSession: the state one scan shares with whoever shows it (the scan
// dialog, or nobody in the silent modes): the scan mode, the running flag,
// and the scan-line hand-over through ScanMessageBuffer.
//
// Entry points: ScanMode, RunningFlag, ScanLineReceiver, ScanSession.
// The hand-over is synchronous: HandOver writes the line into the buffer
// and calls the receiver, which handles the line (on the GUI thread, if it
// likes, while the scan waits) before the scan goes on; the buffer is never
// written while a receiver reads it. No receiver means no window: the line
// goes nowhere.
//
// Line protocol, by the first character: "<OK>" + path (a Trojan found and
// deleted), "<NO>" + path (found, not deleted), "*" + text (a line for the
// list and the log), "&" (the scan is over), anything else (status text).
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "pattern/cancel_token.h"

namespace kv {

enum class ScanMode : int {
  kMemory = 0,
  kFast = 1,
  kFull = 2,
  kLogView = 3,
  kSilentSelf = 4,
};

inline constexpr std::u16string_view kDeletedMarker = u"<OK>";
inline constexpr std::u16string_view kNotDeletedMarker = u"<NO>";
inline constexpr std::u16string_view kListLineMarker = u"*";
inline constexpr std::u16string_view kEndOfScanLine = u"&";

// ScanMessageBuffer's room: 520 units with the handset's terminator.
inline constexpr std::size_t kScanMessageUnits = 519;

// A flag one side sets to run and the other clears to stop. A stop also
// cancels the pattern search in progress, so that a file that takes long to
// search does not hold the stop up.
class RunningFlag {
 public:
  // Running, with a fresh cancel token.
  void Set() noexcept {
    cancel_.Reset();
    running_.store(true);
  }
  // A stop asked for from outside the scan.
  void Stop() noexcept {
    running_.store(false);
    cancel_.Cancel();
  }
  // The scan's own end: the search of nothing is in progress to cancel.
  void Clear() noexcept { running_.store(false); }
  bool IsSet() const noexcept { return running_.load(); }
  const CancelToken& Cancel() const noexcept { return cancel_; }

 private:
  std::atomic<bool> running_{false};
  CancelToken cancel_;
};

// The receiving side of the hand-over (the scan dialog).
class ScanLineReceiver {
 public:
  virtual ~ScanLineReceiver() = default;
  // Handles one line; `line` is valid until Receive returns.
  virtual void Receive(std::u16string_view line) = 0;
};

class ScanSession {
 public:
  ScanSession() = default;
  ScanSession(const ScanSession&) = delete;
  ScanSession& operator=(const ScanSession&) = delete;

  // Set before a scan starts and only read while it runs.
  ScanMode mode = ScanMode::kMemory;
  // Set by the scan at its start, cleared at its end or by a user stop.
  RunningFlag running;

  // The window that takes the lines, or null for none. Set while no scan
  // runs: the scan reads it without a lock.
  void SetReceiver(ScanLineReceiver* receiver) noexcept { receiver_ = receiver; }

  // Writes `line` into ScanMessageBuffer, cut to kScanMessageUnits units,
  // and hands it to the receiver, if any.
  void HandOver(std::u16string_view line);

  // The last line handed over.
  std::u16string_view ScanMessageBuffer() const noexcept { return scanMessageBuffer_; }

 private:
  ScanLineReceiver* receiver_ = nullptr;
  std::u16string scanMessageBuffer_;
};

}  // namespace kv
