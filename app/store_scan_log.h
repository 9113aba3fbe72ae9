// StoreScanLog: the activity log of a store as a scan's ScanLog, so that
// the scan engine, which sits below the log, writes its records to the
// log file without knowing it.
//
// Entry point: StoreScanLog. Failures of the log are silent, as every
// writer of the log keeps them.
#pragma once

#include "platform/store.h"
#include "scan/scan_outputs.h"

namespace kv::app {

class StoreScanLog final : public ScanLog {
 public:
  explicit StoreScanLog(const platform::Store& store) : store_(store) {}
  void AppendLogRecord(std::u16string_view text) override;

 private:
  const platform::Store& store_;
};

}  // namespace kv::app
