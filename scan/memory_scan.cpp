// The memory scan over the platform's process list. Processes are compared
// with every process signature widened once per process; the lists are a
// handful of names, so nothing is gained by indexing them.
#include "scan/memory_scan.h"

#include <vector>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;

void ShowBox(const ScanContext& context, int textId, int captionId, MessageIcon icon) {
  const ScanOutputs& outputs = context.outputs;
  (void)outputs.boxes.Show(outputs.owner, strings::LoadString(textId),
                           strings::LoadString(captionId), MessageButtons::kOk, icon);
}

void ShowPathBox(const ScanContext& context, int textId, std::u16string_view path,
                 int captionId, MessageIcon icon) {
  const ScanOutputs& outputs = context.outputs;
  (void)outputs.boxes.Show(outputs.owner, strings::FormatText(strings::LoadString(textId), {path}),
                           strings::LoadString(captionId), MessageButtons::kOk, icon);
}

void HandOverMarked(ScanSession& session, std::u16string_view marker, std::u16string_view text) {
  std::u16string line(marker);
  session.HandOver(line.append(text));
}

// The ended process's executable holds no known signature, or cannot be
// read: the user decides whether it goes.
void AskToDelete(const ScanContext& context, bool showBoxes, const std::u16string& path) {
  const ScanOutputs& outputs = context.outputs;
  const platform::MessageAnswer answer = outputs.boxes.Show(
      outputs.owner, strings::FormatText(strings::LoadString(strings::kAskDeleteSuspect), {path}),
      strings::LoadString(strings::kCaptionQuestion), MessageButtons::kYesNo,
      MessageIcon::kQuestion);
  if (answer != platform::MessageAnswer::kYes) return;
  (void)platform::SetNormalAttributes(context.store, path);
  if (platform::DeleteStoreFile(context.store, path) == platform::FileStatus::kOk) {
    HandOverMarked(context.session, kDeletedMarker, path);
    if (showBoxes) {
      ShowBox(context, strings::kDeleteSucceeded, strings::kCaptionInformation,
              MessageIcon::kInformation);
    }
  } else {
    HandOverMarked(context.session, kNotDeletedMarker, path);
    if (showBoxes) {
      ShowBox(context, strings::kCannotDelete, strings::kCaptionWarning, MessageIcon::kWarning);
    }
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
      HandOverMarked(context.session, kListLineMarker,
                     strings::LoadString(strings::kMemoryNotEnough));
      if (showBoxes) {
        ShowBox(context, strings::kMemoryNotEnough, strings::kCaptionWarning,
                MessageIcon::kWarning);
      }
      break;
    case MemoryScanResult::kNoSuspect:
      HandOverMarked(context.session, kListLineMarker,
                     strings::LoadString(strings::kNoTrojanInMemory));
      if (showBoxes) {
        ShowBox(context, strings::kFoundNoTrojans, strings::kCaptionInformation,
                MessageIcon::kInformation);
      }
      break;
    case MemoryScanResult::kNotTerminated:
      HandOverMarked(context.session, kNotDeletedMarker, exePath);
      if (showBoxes) {
        ShowBox(context, strings::kTrojanNotKilled, strings::kCaptionWarning,
                MessageIcon::kWarning);
      }
      break;
    case MemoryScanResult::kTerminated:
      switch (context.matcher.CheckFile(exePath, true)) {
        case FileCheckResult::kDeleted:
          HandOverMarked(context.session, kDeletedMarker, exePath);
          if (showBoxes) {
            ShowPathBox(context, strings::kFoundTrojanDeleted, exePath,
                        strings::kCaptionInformation, MessageIcon::kInformation);
          }
          break;
        case FileCheckResult::kFound:
        case FileCheckResult::kDeleteFailed:
          HandOverMarked(context.session, kNotDeletedMarker, exePath);
          if (showBoxes) {
            ShowPathBox(context, strings::kFoundTrojanNotDeleted, exePath,
                        strings::kCaptionWarning, MessageIcon::kWarning);
          }
          break;
        case FileCheckResult::kClean:
        case FileCheckResult::kUnreadable:
          AskToDelete(context, showBoxes, exePath);
          break;
      }
      break;
  }
  return result;
}

}  // namespace kv
