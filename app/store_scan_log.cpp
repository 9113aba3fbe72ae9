// The store's log file behind the scan's log interface.
#include "app/store_scan_log.h"

#include "log/log_file.h"

namespace kv::app {

void StoreScanLog::AppendLogRecord(std::u16string_view text) {
  (void)kv::AppendLogRecord(store_, kLogPath, text);
}

}  // namespace kv::app
