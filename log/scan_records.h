// ScanRecords: everything a scan leaves behind it, as one set of observers
// that every run mode attaches to its scan: the activity log's records and
// the scan report.
#pragma once

#include "log/scan_log_writer.h"
#include "log/scan_report_writer.h"
#include "platform/store.h"
#include "scan/scan_events.h"

namespace kv {

class ScanRecords {
 public:
  // Writes into `store`'s prefix, which must outlive the records.
  explicit ScanRecords(const Store& store) : log_(store), report_(store) {}

  // Makes both observers of `events`; the records must outlive the scan.
  void ObserveWith(ScanEvents& events) {
    events.Add(log_);
    events.Add(report_);
  }

 private:
  ScanLogWriter log_;
  ScanReportWriter report_;
};

}  // namespace kv
