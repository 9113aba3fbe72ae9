// The scan reports' file, <prefix>/reports/scans.ndjson: appending one line
// and reading the lines back. What a line holds is the report writer's
// (log/scan_report_writer.h); this layer keeps the file whole.
//
// Entry points: AppendReportLine, ReadReportLines.
//
// Every append takes an exclusive lock on <prefix>/reports/.lock (waiting
// as the activity log's writers do), so that several processes appending at
// once lose nothing and never interleave; each line goes out in one write.
// When the file has grown past limits::kMaxReportBytes it is rotated first:
// scans.ndjson.1 is the previous file, .2 the one before, and the oldest of
// limits::kReportGenerations kept generations is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "platform/store.h"

namespace kv {

// Appends `line` and a line break. false when the folder or file cannot be
// made or written, or the lock cannot be had in time.
[[nodiscard]] bool AppendReportLine(const Store& store, std::string_view line);

// The report's lines, oldest first: the current file's, with `withOlder`
// those of the kept generations before them. An absent file has none;
// fails when one that is there cannot be read.
[[nodiscard]] Result<std::vector<std::string>> ReadReportLines(const Store& store, bool withOlder);

}  // namespace kv
