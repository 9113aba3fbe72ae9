// The memory scan over the platform's process list. Each process signature
// is widened anew for every process compared: the lists hold a handful of
// names, so keeping widened copies would gain nothing.
#include "scan/memory_scan.h"

#include <vector>

#include "platform/message_boxes.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/file_removal.h"

namespace kv {
namespace {

// The box that tells an outcome when boxes are shown.
struct OutcomeBox {
  int textId;  // a text with %s gets the executable's path
  int captionId;
  MessageIcon icon;
};

constexpr OutcomeBox kDeletedBox = {strings::kFoundTrojanDeleted, strings::kCaptionInformation,
                                    MessageIcon::kInformation};
constexpr OutcomeBox kNotDeletedBox = {strings::kFoundTrojanNotDeleted, strings::kCaptionWarning,
                                       MessageIcon::kWarning};

void ShowBox(const ScanContext& context, const OutcomeBox& box, std::u16string_view path) {
  const ScanOutputs& outputs = context.outputs;
  (void)outputs.boxes.Show(outputs.owner,
                           strings::FormatText(strings::LoadString(box.textId), {path}),
                           strings::LoadString(box.captionId), MessageButtons::kOk, box.icon);
}

// The ended process's executable holds no known signature, or could not be
// checked: the user decides whether it goes, with or without boxes.
void AskToDelete(const ScanContext& context, bool showBoxes, std::u16string_view path,
                 std::string_view processName) {
  const ScanOutputs& outputs = context.outputs;
  const MessageAnswer answer = outputs.boxes.Show(
      outputs.owner, strings::FormatText(strings::LoadString(strings::kAskDeleteSuspect), {path}),
      strings::LoadString(strings::kCaptionQuestion), MessageButtons::kYesNo,
      MessageIcon::kQuestion);
  if (answer != MessageAnswer::kYes) return;
  const QuarantineResult removed =
      RemoveFoundFile(context.store, path, WidenAnsi(processName), ScanModeName(context.mode));
  context.events.Send(ActionOf(ActionKind::kDeleteSuspect, path, processName, removed));
  const bool deleted = removed.Removed();
  if (!showBoxes) return;
  ShowBox(context,
          deleted
              ? OutcomeBox{strings::kDeleteSucceeded, strings::kCaptionInformation,
                           MessageIcon::kInformation}
              : OutcomeBox{strings::kCannotDelete, strings::kCaptionWarning, MessageIcon::kWarning},
          path);
}

// The suspect was ended: its executable is checked and removed, or asked
// about.
void HandleEndedProcess(const ScanContext& context, bool showBoxes, std::u16string_view path,
                        std::string_view processName) {
  const Verdict verdict = context.matcher.CheckFile(path);
  if (!verdict.IsInfected()) {
    context.events.Send(FileVerdict{path, verdict, {}, context.matcher.LastFileBytes()});
    AskToDelete(context, showBoxes, path, processName);
    return;
  }
  const std::string_view name = context.database.CharacterSignatures()[verdict.signature].name;
  context.events.Send(FileVerdict{path, verdict, name, context.matcher.LastFileBytes()});
  context.stop.WaitWhilePaused();
  const QuarantineResult removed =
      RemoveFoundFile(context.store, path, WidenAnsi(name), ScanModeName(context.mode));
  context.events.Send(ActionOf(ActionKind::kDeleteInfected, path, name, removed));
  const bool deleted = removed.Removed();
  if (showBoxes) ShowBox(context, deleted ? kDeletedBox : kNotDeletedBox, path);
}

}  // namespace

void CloseMessagingWindows(const ScanClock& clock) { clock.Pause(kMessagingWindowsPauseMs); }

ProcessMatch MatchProcess(const Store& store, const SignatureList& processSignatures,
                          const ProcessEntry& process, std::u16string& exePath,
                          std::string& processName) {
  for (const SignatureRecord& signature : processSignatures) {
    if (WidenAnsi(signature.pattern) != process.exeName) continue;
    processName = signature.pattern;
    Result<ProcessHandle> handle = ProcessHandle::Open(store, process.id);
    if (!handle.Ok()) return ProcessMatch::kNotTerminated;
    exePath = handle.value.ExecutablePath();
    return handle.value.Terminate() ? ProcessMatch::kTerminated : ProcessMatch::kNotTerminated;
  }
  return ProcessMatch::kNotSuspect;
}

MemoryScanResult KillFirstTrojanProcess(const Store& store, const SignatureList& processSignatures,
                                        const ScanClock& clock, std::u16string& exePath,
                                        std::string& processName) {
  CloseMessagingWindows(clock);
  const Result<std::vector<ProcessEntry>> processes = TakeProcessSnapshot(store);
  if (!processes.Ok()) return MemoryScanResult::kNoProcessList;
  for (const ProcessEntry& process : processes.value) {
    switch (MatchProcess(store, processSignatures, process, exePath, processName)) {
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
  std::string processName;
  const MemoryScanResult result =
      KillFirstTrojanProcess(context.store, context.database.ProcessSignatures(),
                             context.outputs.clock, exePath, processName);
  switch (result) {
    case MemoryScanResult::kNoProcessList:
      context.events.Send(ScanNoted{ScanNote::kNoProcessList, {}});
      if (showBoxes) {
        ShowBox(context,
                {strings::kMemoryNotEnough, strings::kCaptionWarning, MessageIcon::kWarning}, {});
      }
      break;
    case MemoryScanResult::kNoSuspect:
      context.events.Send(ScanNoted{ScanNote::kNoTrojanInMemory, {}});
      if (showBoxes) {
        ShowBox(context,
                {strings::kFoundNoTrojans, strings::kCaptionInformation, MessageIcon::kInformation},
                {});
      }
      break;
    case MemoryScanResult::kNotTerminated:
      context.events.Send(ProcessEnded{exePath, processName, false});
      if (showBoxes) {
        ShowBox(context,
                {strings::kTrojanNotKilled, strings::kCaptionWarning, MessageIcon::kWarning},
                exePath);
      }
      break;
    case MemoryScanResult::kTerminated:
      context.events.Send(ProcessEnded{exePath, processName, true});
      HandleEndedProcess(context, showBoxes, exePath, processName);
      break;
  }
  return result;
}

}  // namespace kv
