// ScanLogWriter: the activity log's side of a scan. It observes the scan's
// events on the scan's own thread and appends their records, so a finding
// is logged whether or not a window shows it (a window that closed after a
// confirmed Stop, say).
//
// Entry point: ScanLogWriter. Records, by mode:
// - the window's scans (memory, fast, full): exactly the lines the scan
//   dialog lists (ScanLineFormatter), the path of a finding before its
//   "[n].Found Trojan," line;
// - the silent self scan: "Y/M/D hh:mm:ss Self scan started" and "... Self
//   scan finished" around it; "Delete Trojan successfully:" or "Can not
//   delete Trojan:" with the path of each file it tried to remove (and of
//   a suspect process it could not end); "Kill Trojan process:", "Delete
//   related file:" and "Can not check:" with their paths; and, with its
//   asterisk, "*There's no Trojan!", "*Virus DB is not loaded!" or the
//   failure that ended the scan;
// - the background scan: nothing.
#pragma once

#include "platform/store.h"
#include "scan/scan_events.h"
#include "scan/scan_lines.h"

namespace kv {

class ScanLogWriter final : public ScanObserver {
 public:
  // Writes the log of `store`, which must outlive the writer.
  explicit ScanLogWriter(const Store& store) : store_(store) {}
  void OnScanEvent(const ScanEvent& event) override;

 private:
  void SelfScanRecord(const ScanEvent& event);
  void Append(std::u16string_view record);

  const Store& store_;
  ScanMode mode_ = ScanMode::kMemory;
  ScanLineFormatter lines_;
};

}  // namespace kv
