// The settings and log commands of the main window's menu.
#include "app/menu_commands.h"

#include "app/settings.h"
#include "log/log_file.h"
#include "resources/string_table.h"

namespace kv {
namespace {

void Tell(MessageBoxes& boxes, MessageOwner owner, int text, int caption, MessageIcon icon) {
  (void)boxes.Show(owner, strings::LoadString(text), strings::LoadString(caption),
                   MessageButtons::kOk, icon);
}

bool SetCabOpenCommand(RegistryHive& hive, std::u16string_view command) {
  return WriteRegistryString(hive, RegistryRoot::kClassesRoot, kCabOpenCommandKey, u"", command);
}

// One CAB monitor command: the registry change, then its notice or the
// failure box.
void SwitchCabMonitor(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner,
                      std::u16string_view command, int notice, int noticeCaption,
                      MessageIcon failureIcon) {
  if (SetCabOpenCommand(hive, command)) {
    Tell(boxes, owner, notice, noticeCaption, MessageIcon::kInformation);
  } else {
    Tell(boxes, owner, strings::kCannotSetFunction, strings::kCaptionError, failureIcon);
  }
}

}  // namespace

void OnScanWhenStartup(MessageBoxes& boxes, MessageOwner owner) {
  Tell(boxes, owner, strings::kStartupScanEnabled, strings::kCaptionInformation,
       MessageIcon::kInformation);
}

void OnMonitorCabFiles(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner) {
  SwitchCabMonitor(hive, boxes, owner, kCabMonitorOnCommand, strings::kCabScanEnabled,
                   strings::kCaptionInformation, MessageIcon::kInformation);
}

void OnEnableCabMonitor(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner) {
  SwitchCabMonitor(hive, boxes, owner, kCabMonitorOnCommand, strings::kCabMonitorEnabled,
                   strings::kCaptionFinished, MessageIcon::kError);
}

void OnDisableCabMonitor(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner) {
  SwitchCabMonitor(hive, boxes, owner, kCabMonitorOffCommand, strings::kCabMonitorDisabled,
                   strings::kCaptionFinished, MessageIcon::kError);
}

void OnClearLog(const Store& store, MessageBoxes& boxes, MessageOwner owner) {
  const MessageAnswer answer = boxes.Show(owner, strings::LoadString(strings::kAskClearLog),
                                          strings::LoadString(strings::kCaptionQuestion),
                                          MessageButtons::kYesNo, MessageIcon::kQuestion);
  if (answer == MessageAnswer::kYes) (void)ClearLog(store);
}

}  // namespace kv
