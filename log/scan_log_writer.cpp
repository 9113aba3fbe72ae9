// The scan's records in the activity log. Failures of the log are silent,
// as every writer of the log keeps them.
#include "log/scan_log_writer.h"

#include "log/log_file.h"
#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {

void ScanLogWriter::Append(std::u16string_view record) {
  (void)AppendLogRecord(store_, kLogPath, record);
}

void ScanLogWriter::OnScanEvent(const ScanEvent& event) {
  if (const auto* started = std::get_if<ScanStarted>(&event)) mode_ = started->mode;
  switch (mode_) {
    case ScanMode::kMemory:
    case ScanMode::kFast:
    case ScanMode::kFull:
      for (const std::u16string& line : lines_.Lines(event).list) Append(line);
      break;
    case ScanMode::kSilentSelf:
      SelfScanRecord(event);
      break;
    case ScanMode::kLogView:
    case ScanMode::kBackground:
      break;
  }
}

void ScanLogWriter::SelfScanRecord(const ScanEvent& event) {
  if (const auto* started = std::get_if<ScanStarted>(&event)) {
    Append(strings::FormatDated(strings::LoadString(strings::kSelfScanStarted), started->time));
  } else if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    if (checked->verdict.IsNotChecked()) Append(WithPath(strings::kCannotCheck, checked->path));
  } else if (const auto* action = std::get_if<ActionTaken>(&event)) {
    if (action->kind == ActionKind::kDeleteCompanion) {
      if (action->succeeded) Append(WithPath(strings::kLogCompanionDeleted, action->path));
    } else {
      Append(
          WithPath(action->succeeded ? strings::kLogTrojanDeleted : strings::kLogTrojanNotDeleted,
                   action->path));
    }
  } else if (const auto* ended = std::get_if<ProcessEnded>(&event)) {
    Append(WithPath(ended->succeeded ? strings::kLogProcessKilled : strings::kLogTrojanNotDeleted,
                    ended->executablePath));
  } else if (const auto* noted = std::get_if<ScanNoted>(&event)) {
    // The memory scan's notes were never the self scan's records.
    if (noted->note != ScanNote::kNoProcessList && noted->note != ScanNote::kNoTrojanInMemory) {
      Append(NoteLine(*noted));
    }
  } else if (const auto* finished = std::get_if<ScanFinished>(&event)) {
    Append(strings::FormatDated(strings::LoadString(strings::kSelfScanFinished), finished->time));
  }
}

}  // namespace kv
