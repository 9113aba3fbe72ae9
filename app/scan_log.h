// StoreScanLog: a scan's log records, appended to the store's activity
// log. Failures of the log are silent, as the handset's were.
#pragma once

#include <string_view>

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
