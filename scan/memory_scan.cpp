// The memory scan over the platform's process list. Each process signature
// is widened anew for every process compared: the lists hold a handful of
// names, so keeping widened copies would gain nothing.
#include "scan/memory_scan.h"

#include <vector>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {
namespace {

using platform::MessageIcon;

// The box that tells an outcome when boxes are shown.
struct OutcomeBox {
  int textId;  // a text with %s gets the executable's path
  int captionId;
  MessageIcon icon;
};

// Hands over `marker` + `text`, then, with boxes, shows `box`.
void Report(const ScanContext& context, bool showBoxes, std::u16string_view marker,
            std::u16string_view text, const OutcomeBox& box, std::u16string_view path) {
  std::u16string line(marker);
  context.session.HandOver(line.append(text));
  if (!showBoxes) return;
  const ScanOutputs& outputs = context.outputs;
  (void)outputs.boxes.Show(
      outputs.owner, strings::FormatText(strings::LoadString(box.textId), {path}),
      strings::LoadString(box.captionId), platform::MessageButtons::kOk, box.icon);
}

// The ended process's executable holds no known signature, or cannot be
// read: the user decides whether it goes, with or without boxes.
void AskToDelete(const ScanContext& context, bool showBoxes, std::u16string_view path) {
  const ScanOutputs& outputs = context.outputs;
  const platform::MessageAnswer answer = outputs.boxes.Show(
      outputs.owner, strings::FormatText(strings::LoadString(strings::kAskDeleteSuspect), {path}),
      strings::LoadString(strings::kCaptionQuestion), platform::MessageButtons::kYesNo,
      MessageIcon::kQuestion);
  if (answer != platform::MessageAnswer::kYes) return;
  (void)platform::SetNormalAttributes(context.store, path);
  if (platform::DeleteStoreFile(context.store, path) == platform::FileStatus::kOk) {
    Report(context, showBoxes, kDeletedMarker, path,
           {strings::kDeleteSucceeded, strings::kCaptionInformation, MessageIcon::kInformation},
           path);
  } else {
    Report(context, showBoxes, kNotDeletedMarker, path,
           {strings::kCannotDelete, strings::kCaptionWarning, MessageIcon::kWarning}, path);
  }
}

// The suspect was ended: its executable is checked and deleted, or asked
// about.
void HandleEndedProcess(const ScanContext& context, bool showBoxes, std::u16string_view path) {
  switch (context.matcher.CheckFile(path, true)) {
    case FileCheckResult::kDeleted:
      Report(
          context, showBoxes, kDeletedMarker, path,
          {strings::kFoundTrojanDeleted, strings::kCaptionInformation, MessageIcon::kInformation},
          path);
      break;
    case FileCheckResult::kFound:
    case FileCheckResult::kDeleteFailed:
      Report(context, showBoxes, kNotDeletedMarker, path,
             {strings::kFoundTrojanNotDeleted, strings::kCaptionWarning, MessageIcon::kWarning},
             path);
      break;
    case FileCheckResult::kClean:
    case FileCheckResult::kUnreadable:
      AskToDelete(context, showBoxes, path);
      break;
  }
}

}  // namespace

void CloseMessagingWindows(const ScanClock& clock) { clock.Pause(kMessagingWindowsPauseMs); }

ProcessMatch MatchProcess(const platform::Store& store, const SignatureList& processSignatures,
                          const platform::ProcessEntry& process, std::u16string& exePath) {
  for (const SignatureRecord& signature : processSignatures) {
    if (platform::WidenAnsi(signature.pattern) != process.exeName) continue;
    platform::ProcessHandle handle;
    if (!platform::ProcessHandle::Open(store, process.id, handle)) {
      return ProcessMatch::kNotTerminated;
    }
    exePath = handle.ExecutablePath();
    return handle.Terminate() ? ProcessMatch::kTerminated : ProcessMatch::kNotTerminated;
  }
  return ProcessMatch::kNotSuspect;
}

MemoryScanResult KillFirstTrojanProcess(const platform::Store& store,
                                        const SignatureList& processSignatures,
                                        const ScanClock& clock, std::u16string& exePath) {
  CloseMessagingWindows(clock);
  std::vector<platform::ProcessEntry> processes;
  if (!platform::TakeProcessSnapshot(store, processes)) return MemoryScanResult::kNoProcessList;
  for (const platform::ProcessEntry& process : processes) {
    switch (MatchProcess(store, processSignatures, process, exePath)) {
      case ProcessMatch::kTerminated:
        return MemoryScanResult::kTerminated;
      case ProcessMatch::kNotTerminated:
        return MemoryScanResult::kNotTerminated;
      case ProcessMatch::kNotSuspect:
        break;
    }
  }
  return MemoryScanResult::kNoSuspect;
}

MemoryScanResult MemoryScan(const ScanContext& context, bool showBoxes) {
  std::u16string exePath;
  const MemoryScanResult result = KillFirstTrojanProcess(
      context.store, context.database.processSignatures, context.outputs.clock, exePath);
  switch (result) {
    case MemoryScanResult::kNoProcessList:
      Report(context, showBoxes, kListLineMarker, strings::LoadString(strings::kMemoryNotEnough),
             {strings::kMemoryNotEnough, strings::kCaptionWarning, MessageIcon::kWarning}, {});
      break;
    case MemoryScanResult::kNoSuspect:
      Report(context, showBoxes, kListLineMarker, strings::LoadString(strings::kNoTrojanInMemory),
             {strings::kFoundNoTrojans, strings::kCaptionInformation, MessageIcon::kInformation},
             {});
      break;
    case MemoryScanResult::kNotTerminated:
      Report(context, showBoxes, kNotDeletedMarker, exePath,
             {strings::kTrojanNotKilled, strings::kCaptionWarning, MessageIcon::kWarning}, exePath);
      break;
    case MemoryScanResult::kTerminated:
      HandleEndedProcess(context, showBoxes, exePath);
      break;
  }
  return result;
}

}  // namespace kv
