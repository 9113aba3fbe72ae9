// Scan events: what a scan did, as typed values, from the scan engine to
// whoever reports it: the activity log's writer, the scan dialog, and the
// tools. Texts are made from them at the edge that shows them
// (scan_lines.h for the handset's lines), never parsed back.
//
// Entry points: ScanMode, the event structs and ScanEvent, ScanObserver,
// ScanEvents (the scan's side: sends every event to each observer in the
// order they were added, and keeps the tally for the closing event).
//
// Texts and paths in an event are views, valid only while the observer
// handles it; an observer that keeps one copies it.
#pragma once

#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/clock.h"
#include "scan/verdict.h"

namespace kv {

enum class ScanMode : int {
  kMemory = 0,
  kFast = 1,
  kFull = 2,
  kLogView = 3,
  kSilentSelf = 4,
  kBackground = 5,  // "-hideandscan": the whole store, no window, no log
};

// The mode's name in records: "memory", "fast", "full", "autocheck",
// "hideandscan".
std::u16string_view ScanModeName(ScanMode mode);

// A scan begins; the database it runs with.
struct ScanStarted {
  ScanMode mode = ScanMode::kMemory;
  LocalTime time;
  int32_t databaseVersion = 0;
  std::size_t characterSignatures = 0;
  std::size_t fileSignatures = 0;
  std::size_t processSignatures = 0;
};

// The full scan's quick count of the files its walk will check, made
// before the walk from the names alone; the walk may find a few more or
// fewer if the store changes meanwhile.
struct ScanCounted {
  std::uint64_t files = 0;
};

// A file is about to be checked (the status line; the progress counts it).
struct FileChecking {
  std::u16string_view path;
};

// What a check concluded; `signatureName` is set for an infected file.
struct FileVerdict {
  std::u16string_view path;
  Verdict verdict;
  std::string_view signatureName;
  std::uint64_t bytes = 0;
};

enum class ActionKind {
  kDeleteInfected,   // a file a signature was found in
  kDeleteSuspect,    // an ended process's executable, on the user's Yes
  kDeleteCompanion,  // a file the delete list names beside an infected one
};

// An action on a file, and whether it succeeded: the file left the store
// for the quarantine, or (the quarantine full) was deleted for good.
struct ActionTaken {
  ActionKind kind = ActionKind::kDeleteInfected;
  std::u16string_view path;
  std::string_view signatureName;  // the signature that led to it
  bool succeeded = false;
  bool quarantined = false;  // in the quarantine, as `item`
  std::string_view item;     // the quarantine's record id; empty when it stayed
};

// A process a process signature named: ended, or it could not be.
struct ProcessEnded {
  std::u16string_view executablePath;  // empty when it could not even be opened
  std::string_view processName;
  bool succeeded = false;
};

enum class ScanNote {
  kNoProcessList,      // the process list could not be taken
  kNoTrojanInMemory,   // no running process is suspect
  kNoTrojan,           // the file-signature pass found nothing
  kDatabaseNotLoaded,  // no character signature is loaded: nothing can be checked
  kScanFailed,         // the scan ended early on a failure of the host
};

struct ScanNoted {
  ScanNote note = ScanNote::kNoTrojan;
  std::u16string_view detail;  // kScanFailed: what failed
};

// The user (or ScanStatus 0) stopped the scan before its end.
struct ScanStopped {};

struct ScanTally {
  std::uint64_t filesChecked = 0;  // clean or infected
  std::uint64_t infected = 0;
  std::uint64_t notChecked = 0;
  std::uint64_t actionsFailed = 0;
  std::uint64_t bytes = 0;
  bool operator==(const ScanTally&) const = default;
};

// The last event of every scan.
struct ScanFinished {
  ScanMode mode = ScanMode::kMemory;
  LocalTime time;
  bool stopped = false;
  ScanTally tally;
};

using ScanEvent = std::variant<ScanStarted, ScanCounted, FileChecking, FileVerdict, ActionTaken,
                               ProcessEnded, ScanNoted, ScanStopped, ScanFinished>;

class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void OnScanEvent(const ScanEvent& event) = 0;
};

class ScanEvents {
 public:
  // `observer` must outlive the scan.
  void Add(ScanObserver& observer) { observers_.push_back(&observer); }
  void Send(const ScanEvent& event);
  const ScanTally& Tally() const { return tally_; }

 private:
  std::vector<ScanObserver*> observers_;
  ScanTally tally_;
};

}  // namespace kv
