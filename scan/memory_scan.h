// The memory scan: finds the first running handset process whose
// executable name is a process signature, ends it, checks its executable
// with CheckFile and deletes it when a content signature is found in it,
// and otherwise asks the user whether to delete it anyway.
//
// Entry points: MemoryScan (the whole scan, with its lines and boxes),
// KillFirstTrojanProcess, MatchProcess, CloseMessagingWindows.
// Only the first suspect process is handled per scan; others wait for the
// next one. Signature names are widened with the handset's ANSI code page
// and compared whole and case-sensitively with the process's executable
// name.
#pragma once

#include <string>

#include "database/signature_database.h"
#include "platform/processes.h"
#include "platform/store.h"
#include "scan/scan_context.h"
#include "scan/scan_outputs.h"

namespace kv {

// The results of KillFirstTrojanProcess and MemoryScan, with the handset's
// values.
enum class MemoryScanResult : int {
  kTerminated = 1,      // a suspect process was ended
  kNoSuspect = 0,       // no running process is suspect
  kNotTerminated = -1,  // a suspect process could not be opened or ended
  kNoProcessList = -2,  // the process list could not be taken
};

// MatchProcess's results.
enum class ProcessMatch : int {
  kTerminated = 1,      // suspect and ended
  kNotSuspect = 0,      // no process signature names it
  kNotTerminated = -1,  // suspect, but it could not be opened or ended
};

// The pause after which the messaging programs were expected to have closed.
inline constexpr int kMessagingWindowsPauseMs = 500;

// Closes the windows of the handset's messaging programs so that they let
// go of their files, then pauses. The host has no such windows, so only the
// pause is left.
void CloseMessagingWindows(const ScanClock& clock);

// Checks `process` against `processSignatures` and ends it when one names
// it. `exePath` receives its executable's device path once it is opened
// (empty when it cannot be), `processName` the signature that named it.
[[nodiscard]] ProcessMatch MatchProcess(const Store& store, const SignatureList& processSignatures,
                                        const ProcessEntry& process, std::u16string& exePath,
                                        std::string& processName);

// Closes the messaging windows, then walks the process list in its order
// and ends the first suspect process (MatchProcess).
[[nodiscard]] MemoryScanResult KillFirstTrojanProcess(const Store& store,
                                                      const SignatureList& processSignatures,
                                                      const ScanClock& clock,
                                                      std::u16string& exePath,
                                                      std::string& processName);

// The memory scan. Its events: a note when the process list cannot be
// taken or no process is suspect; ProcessEnded for the suspect, ended or
// not; for an ended one its executable's FileVerdict and, when infected,
// the ActionTaken of its removal. With `showBoxes` each outcome is also
// told in a box. The question whether to delete an executable in which no
// signature is found, or which could not be checked, is always asked, and
// a Yes gives the ActionTaken of that deletion.
MemoryScanResult MemoryScan(const ScanContext& context, bool showBoxes);

}  // namespace kv
