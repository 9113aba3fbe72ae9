// ScanEvents: the tally is counted as the events pass, so it always agrees
// with what the observers were told.
#include "scan/scan_events.h"

namespace kv {

std::u16string_view ScanModeName(ScanMode mode) {
  switch (mode) {
    case ScanMode::kMemory:
      return u"memory";
    case ScanMode::kFast:
      return u"fast";
    case ScanMode::kFull:
      return u"full";
    case ScanMode::kLogView:
      return u"log";
    case ScanMode::kSilentSelf:
      return u"autocheck";
    case ScanMode::kBackground:
      break;
  }
  return u"hideandscan";
}

void ScanEvents::Send(const ScanEvent& event) {
  if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    if (checked->verdict.IsNotChecked()) {
      ++tally_.notChecked;
    } else {
      ++tally_.filesChecked;
      tally_.bytes += checked->bytes;
      if (checked->verdict.IsInfected()) ++tally_.infected;
    }
  } else if (const auto* action = std::get_if<ActionTaken>(&event)) {
    if (!action->succeeded) ++tally_.actionsFailed;
  } else if (const auto* ended = std::get_if<ProcessEnded>(&event)) {
    if (!ended->succeeded) ++tally_.actionsFailed;
  }
  for (ScanObserver* observer : observers_) observer->OnScanEvent(event);
}

}  // namespace kv
