// The CAB check, step by step as the handset took it: clean up the
// argument, log the check, check the file without deleting it, ask on a
// hit (Yes deletes and stops, Cancel stops, No installs), then start the
// installer.
#include "app/cab_check.h"

#include <optional>
#include <string>

#include "app/exit_codes.h"
#include "app/run_mode.h"
#include "app/store_scan_log.h"
#include "platform/engine_thread.h"
#include "platform/files.h"
#include "platform/program_start.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/file_matcher.h"

namespace kv::app {
namespace {

constexpr std::u16string_view kInstallerPath = u"\\windows\\wceload.exe";

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// The CAB file as the store sees it, when it lies in the store.
std::optional<std::u16string> StorePathOf(const platform::Store& store, std::u16string_view path) {
  if (path.empty() || path.front() != u'/') return std::u16string(path);
  return platform::DevicePathOfHostPath(store, platform::Utf16ToUtf8(path));
}

// Whether the file holds a Trojan; an unreadable, empty or missing file
// does not, as on the handset.
bool HoldsTrojan(const AppContext& context, std::u16string_view path,
                 const std::optional<std::u16string>& storePath) {
  const std::shared_ptr<const SignatureDatabase> database = context.database.Current();
  FileMatcher matcher(context.store, *database);
  bool found = false;
  platform::RunOnEngineThread([&] {
    found = storePath ? static_cast<int>(matcher.CheckFile(*storePath, false)) > 0
                      : matcher.MatchHostFile(platform::Utf16ToUtf8(path)).Code() > 0;
  });
  return found;
}

bool DeleteCab(const platform::Store& store, const std::optional<std::u16string>& storePath) {
  if (!storePath) return false;  // never anything outside the store
  (void)platform::SetNormalAttributes(store, *storePath);
  return platform::DeleteStoreFile(store, *storePath) == platform::FileStatus::kOk;
}

std::u16string Text(int id, std::u16string_view path) {
  return strings::FormatText(strings::LoadString(id), {path});
}

int StartInstaller(AppContext& context, std::u16string_view path) {
  const std::u16string commandLine = u"\"" + std::u16string(path) + u"\" /nodelete";
  if (platform::StartStoreProgram(context.store, kInstallerPath, commandLine)) {
    return kExitInstallerStarted;
  }
  (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCannotInstall),
                            strings::LoadString(strings::kCaptionError), MessageButtons::kOk,
                            MessageIcon::kError);
  return kExitSilentMode;
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
  StoreScanLog log(context.store);
  log.AppendLogRecord(strings::DatedText(strings::LoadString(strings::kCheckCabFile)));

  const std::optional<std::u16string> storePath = StorePathOf(context.store, path);
  if (!HoldsTrojan(context, path, storePath)) return StartInstaller(context, path);

  const MessageAnswer answer =
      context.boxes->Show(nullptr, strings::LoadString(strings::kCabTrojanAlarm),
                          strings::LoadString(strings::kCaptionWarning),
                          MessageButtons::kYesNoCancel, MessageIcon::kQuestion);
  switch (answer) {
    case MessageAnswer::kYes:
      if (DeleteCab(context.store, storePath)) {
        log.AppendLogRecord(Text(strings::kLogCabDeleted, path));
        (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCabTrojanDeleted),
                                  strings::LoadString(strings::kCaptionInformation),
                                  MessageButtons::kOk, MessageIcon::kInformation);
      } else {
        log.AppendLogRecord(Text(strings::kLogCabNotDeleted, path));
        (void)context.boxes->Show(nullptr, strings::LoadString(strings::kCannotDelete),
                                  strings::LoadString(strings::kCaptionWarning),
                                  MessageButtons::kOk, MessageIcon::kWarning);
      }
      return kExitSilentMode;
    case MessageAnswer::kCancel:
      log.AppendLogRecord(Text(strings::kLogCabIgnored, path));
      return kExitSilentMode;
    case MessageAnswer::kNo:
      log.AppendLogRecord(Text(strings::kLogCabInstalling, path));
      break;
    case MessageAnswer::kOk:
      break;  // no such button here; the handset went on without a line
  }
  return StartInstaller(context, path);
}

}  // namespace kv::app
