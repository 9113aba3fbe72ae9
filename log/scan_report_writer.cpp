// The scan reports. A scan's counts come from its closing event's tally, so
// the report's end line agrees with what every other observer was told.
#include "log/scan_report_writer.h"

#include "platform/report_file.h"
#include "platform/text.h"
#include "platform/utc_time.h"

namespace kv {
namespace {

std::u16string Text(std::string_view ascii) { return WidenAnsi(ascii); }

std::u16string Now() { return Text(UtcTimeText(std::chrono::system_clock::now())); }

std::string_view ActionEvent(ActionKind kind) {
  switch (kind) {
    case ActionKind::kDeleteInfected:
      return "infected";
    case ActionKind::kDeleteSuspect:
      return "suspect";
    case ActionKind::kDeleteCompanion:
      break;
  }
  return "companion";
}

std::u16string_view Outcome(const ActionTaken& action) {
  if (action.quarantined) return u"quarantined";
  return action.succeeded ? u"deleted" : u"failed";
}

}  // namespace

JsonObject ScanReportWriter::Line(std::string event) const {
  JsonObject line;
  line.Add("scan", Text(scan_)).Add("event", Text(event));
  return line;
}

void ScanReportWriter::Append(const JsonObject& line) const {
  (void)AppendReportLine(store_, WriteJsonLine(line));
}

void ScanReportWriter::OnScanEvent(const ScanEvent& event) {
  if (const auto* started = std::get_if<ScanStarted>(&event)) {
    scan_ = NewItemId(std::chrono::system_clock::now());
    started_ = std::chrono::steady_clock::now();
    JsonObject line = Line("start");
    line.Add("time", Now()).Add("mode", ScanModeName(started->mode));
    if (started->databaseVersion >= 0) {
      line.Add("database_version", static_cast<std::uint64_t>(started->databaseVersion));
    } else {
      line.Add("database_version", Text(std::to_string(started->databaseVersion)));
    }
    line.Add("character_signatures", started->characterSignatures)
        .Add("file_signatures", started->fileSignatures)
        .Add("process_signatures", started->processSignatures);
    Append(line);
  } else if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    if (!checked->verdict.IsNotChecked()) return;
    JsonObject line = Line("not_checked");
    line.Add("path", checked->path).Add("reason", Text(DescribeReason(checked->verdict.reason)));
    Append(line);
  } else if (const auto* action = std::get_if<ActionTaken>(&event)) {
    JsonObject line = Line(std::string(ActionEvent(action->kind)));
    line.Add("path", action->path)
        .Add("signature", Text(action->signatureName))
        .Add("outcome", Outcome(*action))
        .Add("item", Text(action->item));
    Append(line);
  } else if (const auto* ended = std::get_if<ProcessEnded>(&event)) {
    JsonObject line = Line("process");
    line.Add("path", ended->executablePath)
        .Add("name", Text(ended->processName))
        .Add("outcome", ended->succeeded ? u"ended" : u"not_ended");
    Append(line);
  } else if (const auto* noted = std::get_if<ScanNoted>(&event)) {
    if (noted->note == ScanNote::kDatabaseNotLoaded) Append(Line("no_database"));
    if (noted->note == ScanNote::kScanFailed) {
      JsonObject line = Line("failed");
      line.Add("detail", noted->detail);
      Append(line);
    }
  } else if (std::holds_alternative<ScanStopped>(event)) {
    Append(Line("stopped"));
  } else if (const auto* finished = std::get_if<ScanFinished>(&event)) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    JsonObject line = Line("end");
    line.Add("time", Now())
        .Add("files_checked", finished->tally.filesChecked)
        .Add("infected", finished->tally.infected)
        .Add("not_checked", finished->tally.notChecked)
        .Add("actions_failed", finished->tally.actionsFailed)
        .Add("bytes", finished->tally.bytes)
        .Add("ms", static_cast<std::uint64_t>(elapsed.count()));
    Append(line);
  }
}

}  // namespace kv
