// The file-signature pass. The read-only attribute of a named file is
// cleared before anything else, whether the file exists or not, so that a
// found file can be deleted; a named file that is absent is passed over,
// but one that is there and cannot be read (locked, say) is not checked,
// never passed over as the handset did. A paused stop token holds the pass
// before each named file and before each removal; only a store walk stops.
#include "scan/file_signature_pass.h"

#include <string>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/file_removal.h"

namespace kv {
namespace {

void ShowRemovalBox(const ScanContext& context, std::u16string_view path, bool removed) {
  const ScanOutputs& outputs = context.outputs;
  (void)outputs.boxes.Show(
      outputs.owner,
      strings::FormatText(strings::LoadString(removed ? strings::kFoundTrojanDeleted
                                                      : strings::kFoundTrojanNotDeleted),
                          {path}),
      strings::LoadString(removed ? strings::kCaptionInformation : strings::kCaptionWarning),
      MessageButtons::kOk, removed ? MessageIcon::kInformation : MessageIcon::kWarning);
}

void RemoveCompanions(const ScanContext& context, std::string_view signatureName) {
  const std::u16string companionOf = u"companion of " + WidenAnsi(signatureName);
  for (const std::string& companion : context.database.CompanionFiles(signatureName)) {
    const std::u16string path = WidenAnsi(companion);
    // Deleted as it stands (its read-only attribute kept, as the handset
    // did); one that is not there was never a finding, nothing to record.
    const QuarantineResult removed =
        RemoveStoreFile(context.store, path, companionOf, ScanModeName(context.mode));
    if (removed.status == QuarantineStatus::kNotFound) continue;
    context.events.Send(ActionOf(ActionKind::kDeleteCompanion, path, signatureName, removed));
  }
}

}  // namespace

void FileSignaturePass(const ScanContext& context) {
  const SignatureDatabase& database = context.database;
  if (!database.HasCharacterSignatures()) {
    context.events.Send(ScanNoted{ScanNote::kDatabaseNotLoaded, {}});
    return;
  }
  // "No Trojan" is said only when every named file there was checked.
  bool foundOrUnchecked = false;
  for (const SignatureRecord& signature : database.FileSignatures()) {
    context.stop.WaitWhilePaused();
    const std::u16string path = WidenAnsi(signature.pattern);
    context.events.Send(FileChecking{path});
    (void)SetNormalAttributes(context.store, path);
    const Verdict verdict = context.matcher.CheckFile(path);
    // Most named files are not on a given handset: no finding at all.
    if (verdict.IsNotChecked() && verdict.reason == NotCheckedReason::kAbsent) continue;
    const std::string_view name = verdict.IsInfected()
                                      ? database.CharacterSignatures()[verdict.signature].name
                                      : std::string_view();
    context.events.Send(FileVerdict{path, verdict, name, context.matcher.LastFileBytes()});
    if (verdict.IsClean()) continue;
    foundOrUnchecked = true;
    if (verdict.IsNotChecked()) continue;
    context.stop.WaitWhilePaused();
    RemoveCompanions(context, name);
    const QuarantineResult removed =
        RemoveStoreFile(context.store, path, WidenAnsi(name), ScanModeName(context.mode));
    context.events.Send(ActionOf(ActionKind::kDeleteInfected, path, name, removed));
    if (context.mode == ScanMode::kSilentSelf) ShowRemovalBox(context, path, removed.Removed());
  }
  if (!foundOrUnchecked) context.events.Send(ScanNoted{ScanNote::kNoTrojan, {}});
}

}  // namespace kv
