// ScanReportWriter: the report of every scan, in every mode, appended to
// <prefix>/reports/scans.ndjson (platform/report_file.h) as the scan's
// events arrive, one JSON object a line (platform/json_line.h):
//
//   {"scan":ID,"event":"start","time":T,"mode":M,"database_version":N,
//    "character_signatures":N,"file_signatures":N,"process_signatures":N}
//   {"scan":ID,"event":"infected","path":P,"signature":S,"outcome":O,"item":Q}
//   {"scan":ID,"event":"suspect",...}    an ended process's file, on Yes
//   {"scan":ID,"event":"companion",...}  a companion file of `signature`
//   {"scan":ID,"event":"not_checked","path":P,"reason":R}
//   {"scan":ID,"event":"process","path":P,"name":S,"outcome":"ended"|"not_ended"}
//   {"scan":ID,"event":"no_database"}
//   {"scan":ID,"event":"failed","detail":D}
//   {"scan":ID,"event":"stopped"}
//   {"scan":ID,"event":"end","time":T,"files_checked":N,"infected":N,
//    "not_checked":N,"actions_failed":N,"bytes":N,"ms":N}
//
// ID names one scan (NewItemId), so the lines of scans that run at once in
// several processes can be told apart; T is UTC, ISO 8601; M is the mode's
// name ("autocheck", "hideandscan", ...); O is "quarantined", "deleted" (the
// quarantine was full) or "failed" (the file stayed), Q the quarantine's
// record id. A report that cannot be written is lost silently, as a log
// record is: the scan goes on.
//
// Entry point: ScanReportWriter.
#pragma once

#include <chrono>
#include <string>

#include "platform/json_line.h"
#include "platform/store.h"
#include "scan/scan_events.h"

namespace kv {

class ScanReportWriter final : public ScanObserver {
 public:
  // Writes the reports of `store`'s prefix, which must outlive the writer.
  explicit ScanReportWriter(const Store& store) : store_(store) {}
  void OnScanEvent(const ScanEvent& event) override;

 private:
  JsonObject Line(std::string event) const;
  void Append(const JsonObject& line) const;

  const Store& store_;
  std::string scan_;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace kv
