// The main window's menu commands that need no window of their own: the
// four "Auto monitor" settings and "Clear Log". Each tells or asks the user
// through the message boxes, owned by the main window.
//
// Entry points: OnScanWhenStartup, OnMonitorCabFiles, OnEnableCabMonitor,
// OnDisableCabMonitor, OnClearLog.
// The CAB monitor lives only in the registry (the shell's open command for
// CAB packages); nothing is read back, so enabling twice is harmless. The
// start-up scan is the installation's business: its command only tells.
#pragma once

#include "platform/message_boxes.h"
#include "platform/store.h"
#include "registry/hive.h"

namespace kv {

// Tells that the start-up scan is enabled (6611, "Information").
void OnScanWhenStartup(MessageBoxes& boxes, MessageOwner owner);

// Points CAB packages at this program; the long notice (6612) on success,
// "Can not set this function" under "Error" with the information icon on
// failure.
void OnMonitorCabFiles(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner);

// The same change with the short notice (6614, "Finished"); the failure box
// has the error icon.
void OnEnableCabMonitor(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner);

// Points CAB packages back at the installer (6616, "Finished").
void OnDisableCabMonitor(RegistryHive& hive, MessageBoxes& boxes, MessageOwner owner);

// Asks "Are you sure to delete the log?" (Yes/No); on Yes deletes the log,
// silently whatever comes of it.
void OnClearLog(const Store& store, MessageBoxes& boxes, MessageOwner owner);

}  // namespace kv
