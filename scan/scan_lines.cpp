// The handset's lines for scan events. Texts come from the string table;
// a list line drops the asterisk its hand-over line carried.
#include "scan/scan_lines.h"

#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {
namespace {

std::u16string_view WithoutAsterisk(std::u16string_view line) {
  return line.starts_with(u'*') ? line.substr(1) : line;
}

int ModeText(ScanMode mode) {
  switch (mode) {
    case ScanMode::kMemory:
      return strings::kMemoryScanning;
    case ScanMode::kFast:
      return strings::kFastScanning;
    default:
      return strings::kFullScanning;
  }
}

// The text behind the dated closing line; none for the other modes.
std::u16string_view ClosingText(ScanMode mode) {
  switch (mode) {
    case ScanMode::kMemory:
      return strings::LoadString(strings::kMemoryScanFinished);
    case ScanMode::kFast:
      return strings::LoadString(strings::kFastScanFinished);
    case ScanMode::kFull:
      return strings::LoadString(strings::kFullScanFinished);
    default:
      return {};
  }
}

}  // namespace

std::u16string NoteLine(const ScanNoted& noted) {
  switch (noted.note) {
    case ScanNote::kNoProcessList:
      return u"*" + std::u16string(strings::LoadString(strings::kMemoryNotEnough));
    case ScanNote::kNoTrojanInMemory:
      return u"*" + std::u16string(strings::LoadString(strings::kNoTrojanInMemory));
    case ScanNote::kNoTrojan:
      return std::u16string(strings::LoadString(strings::kNoTrojanLine));
    case ScanNote::kDatabaseNotLoaded:
      return std::u16string(strings::LoadString(strings::kDatabaseNotLoaded));
    case ScanNote::kScanFailed:
      break;
  }
  return WithPath(strings::kScanFailed, noted.detail);
}

std::u16string WithPath(int textId, std::u16string_view path) {
  return strings::FormatText(strings::LoadString(textId), {path});
}

void ScanLineFormatter::Finding(ScanLines& lines, std::u16string_view path, bool deleted) {
  ++found_;
  std::u16string found =
      strings::FormatText(strings::LoadString(strings::kFoundTrojanNumbered), {found_});
  found += strings::LoadString(deleted ? strings::kFoundTrojanDeletedTail
                                       : strings::kFoundTrojanNotDeletedTail);
  lines.status = std::u16string(path);
  lines.list.emplace_back(path);
  lines.list.push_back(std::move(found));
}

ScanLines ScanLineFormatter::Lines(const ScanEvent& event) {
  ScanLines lines;
  const auto listLine = [&lines](std::u16string_view text) {
    lines.status = std::u16string();
    lines.list.emplace_back(WithoutAsterisk(text));
  };
  if (const auto* started = std::get_if<ScanStarted>(&event)) {
    std::u16string start =
        strings::FormatDated(strings::LoadString(strings::kScanStartLine), started->time);
    listLine(start.append(strings::LoadString(ModeText(started->mode))));
    listLine(strings::kScanRuleLine);
  } else if (const auto* checking = std::get_if<FileChecking>(&event)) {
    lines.status = std::u16string(checking->path);
  } else if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    if (checked->verdict.IsNotChecked()) listLine(WithPath(strings::kCannotCheck, checked->path));
  } else if (const auto* action = std::get_if<ActionTaken>(&event)) {
    if (action->kind != ActionKind::kDeleteCompanion) {
      Finding(lines, action->path, action->succeeded);
    } else if (action->succeeded) {
      listLine(WithPath(strings::kLogCompanionDeleted, action->path));
    }
  } else if (const auto* ended = std::get_if<ProcessEnded>(&event)) {
    if (ended->succeeded) {
      listLine(WithPath(strings::kLogProcessKilled, ended->executablePath));
    } else {
      Finding(lines, ended->executablePath, false);
    }
  } else if (const auto* noted = std::get_if<ScanNoted>(&event)) {
    listLine(NoteLine(*noted));
  } else if (std::holds_alternative<ScanStopped>(event)) {
    listLine(strings::LoadString(strings::kUserStopLine));
  } else if (const auto* finished = std::get_if<ScanFinished>(&event)) {
    // A stopped scan's last line was the stop line.
    if (!finished->stopped) {
      listLine(strings::kScanRuleLine);
      listLine(strings::FormatDated(strings::kScanClosingDateFormat, finished->time)
                   .append(ClosingText(finished->mode)));
    }
    lines.ended = true;
  }
  return lines;
}

}  // namespace kv
