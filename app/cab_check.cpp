// The CAB check, step by step as the handset took it: clean up the
// argument, log the check, check the file without deleting it, ask on a
// hit (Yes deletes and stops, Cancel stops, No installs), then start the
// installer. A CAB that could not be checked (absent, locked, too large,
// not a regular file, no database) is never installed in silence: the
// user is asked first.
#include "app/cab_check.h"

#include <optional>
#include <string>

#include "app/exit_codes.h"
#include "app/run_mode.h"
#include "log/log_file.h"
#include "platform/engine_thread.h"
#include "platform/program_start.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/file_matcher.h"
#include "scan/file_removal.h"

namespace kv {
namespace {

constexpr std::u16string_view kInstallerPath = u"\\windows\\wceload.exe";

// The CAB file as the store sees it, when it lies in the store: an argument
// beginning with "\" is a device path; anything else is a host path,
// relative ones taken from the working directory.
std::optional<std::u16string> StorePathOf(const Store& store, std::u16string_view path) {
  if (path.starts_with(u'\\')) return std::u16string(path);
  if (path.empty()) return std::nullopt;
  return DevicePathOfHostPath(store, Utf16ToUtf8(path));
}

Verdict CheckCab(const AppContext& context, const SignatureDatabase& database,
                 std::u16string_view path, const std::optional<std::u16string>& storePath) {
  FileMatcher matcher(context.store, database);
  Verdict verdict = Verdict::NotChecked(NotCheckedReason::kUnreadable);
  RunOnEngineThread([&] {
    try {
      verdict =
          storePath ? matcher.CheckFile(*storePath) : matcher.CheckHostFile(Utf16ToUtf8(path));
    } catch (const std::exception&) {
      // Not checked, as set above: never installed without a question.
    }
  });
  return verdict;
}

// Into the quarantine, as the scans remove what they find.
bool DeleteCab(const Store& store, const std::optional<std::u16string>& storePath,
               std::string_view signatureName) {
  if (!storePath) return false;  // never anything outside the store
  return RemoveFoundFile(store, *storePath, WidenAnsi(signatureName), u"cab").Removed();
}

std::u16string Text(int id, std::u16string_view path) {
  return strings::FormatText(strings::LoadString(id), {path});
}

void Log(const Store& store, std::u16string_view record) {
  (void)AppendLogRecord(store, kLogPath, record);
}

int StartInstaller(AppContext& context, std::u16string_view path) {
  const std::u16string commandLine = u"\"" + std::u16string(path) + u"\" /nodelete";
  if (StartStoreProgram(context.store, kInstallerPath, commandLine)) {
    return kExitInstallerStarted;
  }
  (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCannotInstall),
                            strings::LoadString(strings::kCaptionError), MessageButtons::kOk,
                            MessageIcon::kError);
  return kExitSilentMode;
}

// A CAB that could not be checked is installed only on the user's Yes.
int AskToInstallUnchecked(AppContext& context, std::u16string_view path) {
  Log(context.store, Text(strings::kCannotCheck, path));
  const MessageAnswer answer =
      context.boxes->Show(nullptr, strings::LoadString(strings::kAskInstallUnchecked),
                          strings::LoadString(strings::kCaptionWarning), MessageButtons::kYesNo,
                          MessageIcon::kQuestion);
  if (answer != MessageAnswer::kYes) return kExitSilentMode;
  Log(context.store, Text(strings::kLogCabInstalling, path));
  return StartInstaller(context, path);
}

}  // namespace

int RunCabCheck(AppContext& context, std::u16string_view argument) {
  const std::optional<std::u16string> cleaned = CabPathOfArgument(argument);
  if (!cleaned) {
    // Longer than the handset's path buffer: refused, nothing installed.
    (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCannotInstall),
                              strings::LoadString(strings::kCaptionError), MessageButtons::kOk,
                              MessageIcon::kError);
    return kExitSilentMode;
  }
  const std::u16string& path = *cleaned;
  Log(context.store, strings::DatedText(strings::LoadString(strings::kCheckCabFile)));

  const std::optional<std::u16string> storePath = StorePathOf(context.store, path);
  const std::shared_ptr<const SignatureDatabase> database = context.database.Current();
  const Verdict verdict = CheckCab(context, *database, path, storePath);
  if (verdict.IsClean()) return StartInstaller(context, path);
  if (verdict.IsNotChecked()) return AskToInstallUnchecked(context, path);

  const MessageAnswer answer =
      context.boxes->Show(nullptr, strings::LoadString(strings::kCabTrojanAlarm),
                          strings::LoadString(strings::kCaptionWarning),
                          MessageButtons::kYesNoCancel, MessageIcon::kQuestion);
  switch (answer) {
    case MessageAnswer::kYes:
      if (DeleteCab(context.store, storePath,
                    database->CharacterSignatures()[verdict.signature].name)) {
        Log(context.store, Text(strings::kLogCabDeleted, path));
        (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCabTrojanDeleted),
                                  strings::LoadString(strings::kCaptionInformation),
                                  MessageButtons::kOk, MessageIcon::kInformation);
      } else {
        Log(context.store, Text(strings::kLogCabNotDeleted, path));
        (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCannotDelete),
                                  strings::LoadString(strings::kCaptionWarning),
                                  MessageButtons::kOk, MessageIcon::kWarning);
      }
      return kExitSilentMode;
    case MessageAnswer::kCancel:
      Log(context.store, Text(strings::kLogCabIgnored, path));
      return kExitSilentMode;
    case MessageAnswer::kNo:
      Log(context.store, Text(strings::kLogCabInstalling, path));
      break;
    case MessageAnswer::kOk:
      break;  // no such button here; the handset went on without a line
  }
  return StartInstaller(context, path);
}

}  // namespace kv
