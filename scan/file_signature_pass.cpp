// The file-signature pass. The read-only attribute of a named file is
// cleared before anything else, whether the file exists or not, so that a
// found file can be deleted; a file that is absent, clean or unreadable is
// passed over in silence.
#include "scan/file_signature_pass.h"

#include <string>

#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/delete_list.h"

namespace kv {
namespace {

// How one Trojan file's deletion is reported.
struct FindingReport {
  std::u16string_view marker;
  int logTextId;
  int boxTextId;
  int captionId;
  platform::MessageIcon icon;
};

constexpr FindingReport kDeletedReport = {
    kDeletedMarker, strings::kLogTrojanDeleted, strings::kFoundTrojanDeleted,
    strings::kCaptionInformation, platform::MessageIcon::kInformation};
constexpr FindingReport kNotDeletedReport = {
    kNotDeletedMarker, strings::kLogTrojanNotDeleted, strings::kFoundTrojanNotDeleted,
    strings::kCaptionWarning, platform::MessageIcon::kWarning};

void ReportFinding(const ScanContext& context, const FindingReport& report,
                   std::u16string_view path) {
  std::u16string line(report.marker);
  context.session.HandOver(line.append(path));
  if (context.session.mode != ScanMode::kSilentSelf) return;
  const ScanOutputs& outputs = context.outputs;
  outputs.log.AppendLogRecord(strings::FormatText(strings::LoadString(report.logTextId), {path}));
  (void)outputs.boxes.Show(
      outputs.owner, strings::FormatText(strings::LoadString(report.boxTextId), {path}),
      strings::LoadString(report.captionId), platform::MessageButtons::kOk, report.icon);
}

}  // namespace

bool FileExists(const platform::Store& store, std::u16string_view path) {
  platform::File file;
  return platform::File::OpenForRead(store, path, platform::Sharing::kRead, file) ==
         platform::FileStatus::kOk;
}

void FileSignaturePass(const ScanContext& context) {
  const SignatureDatabase& database = context.database;
  bool found = false;
  for (const SignatureRecord& signature : database.fileSignatures) {
    const std::u16string path = platform::WidenAnsi(signature.pattern);
    (void)platform::SetNormalAttributes(context.store, path);
    if (!FileExists(context.store, path)) continue;
    const SignatureMatch match = context.matcher.FindMatchingSignature(path);
    if (match.kind != SignatureMatch::Kind::kFound) continue;
    found = true;
    ProcessDeleteList(context.store, database, database.characterSignatures[match.index].name);
    const bool deleted =
        platform::DeleteStoreFile(context.store, path) == platform::FileStatus::kOk;
    ReportFinding(context, deleted ? kDeletedReport : kNotDeletedReport, path);
  }
  if (found) return;
  const std::u16string_view noTrojan = strings::LoadString(strings::kNoTrojanLine);
  context.session.HandOver(noTrojan);
  if (context.session.mode == ScanMode::kSilentSelf) context.outputs.log.AppendLogRecord(noTrojan);
}

}  // namespace kv
