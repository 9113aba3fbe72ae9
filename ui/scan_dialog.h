// ScanDialog: the scan and log dialog, layout 130. In the scan modes it
// writes the start lines, starts the scan thread and shows and logs every
// line the scan hands over; in the log mode it shows the activity log,
// newest line first, read on a worker while the dialog keeps answering.
//
// Entry points: ScanServices, ScanDialog, OpenScanDialog.
//
// Layout (s the scale): the title panel across the top, 40 s high, without
// caption; the status line (control 1008) at 3 s, 50 s, the client width
// less 6 s across and 26 s high; the list (control 1007) at 3 s, 100 s,
// the client width less 6 s and the client height less 128 s. Between
// them, in a scan, the progress: a bar at 3 s, 79 s, 6 s high, and below it
// "n of N files", the rate and the elapsed time (ScanProgress), renewed by
// every file and every second. Soft keys of menu 131: Stop and Back.
//
// The scan's events arrive through the runner and are shown as the
// handset's lines (ScanLineFormatter): each list line is inserted at the
// top, so a finding's "[n].Found Trojan," line stands above its path. The
// scan's own log writer logs the same lines; the dialog logs nothing
// itself. The end of the scan adds the summary line (list only), and
// clears the running state and the cursor. Every line can be read whole
// (line_list.h).
//
// Back (and OK and Cancel) during a scan say "Please stop scan first!";
// Stop during a scan asks "Scan is running,stop it?", holding the scan
// while it asks, so nothing is removed before the answer; No lets it go on,
// Yes stops it and closes the dialog at once, leaving the scan thread to
// the runner (scan_runner.h). Without a scan both close at once.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/store.h"
#include "scan/scan_lines.h"
#include "scan/scan_outputs.h"
#include "scan/scan_progress.h"
#include "ui/background_work.h"
#include "ui/scan_runner.h"
#include "ui/skin_panel.h"
#include "ui/ui_context.h"

namespace kv {

struct ScanServices {
  const Store& store;  // whose log the dialog reads
  ScanRunner& runner;
  const ScanClock& clock;
  // The scan the thread runs (RunScan with the log writer, in the program),
  // sending its events to `view`, with the outputs whose boxes the dialog's
  // owner window owns.
  std::function<void(ScanMode mode, const StopToken& stop, ScanObserver& view,
                     const ScanOutputs& outputs)>
      runScan;
};

class ScanDialog final : public QDialog, private ScanView {
 public:
  // Lays the dialog out and starts the scan or fills the log view for
  // `mode`. Call only while the runner is idle.
  ScanDialog(const UiContext& context, ScanServices& services, ScanMode mode, QWidget* owner);
  ~ScanDialog() override;

  QLabel* StatusLine() const { return status_; }
  QListWidget* List() const { return list_; }
  QProgressBar* ProgressBar() const { return bar_; }
  QLabel* ProgressLabel() const { return progressLine_; }
  int FoundCount() const { return lines_.Found(); }
  SkinPanel& TitlePanel() { return titlePanel_; }

  void OnCommand(int command);

 protected:
  void reject() override;  // Escape and the window's close: as Cancel
  void closeEvent(QCloseEvent* event) override;

 private:
  void HandleScanEvent(const ScanEvent& event) override;
  void StartScan();
  void CreateProgress();
  void ShowProgress();
  void ShowLog();
  void ShowLogLines();
  void AddListLine(std::u16string_view text);
  void ShowWaitCursor();
  void RestoreCursor();

  const UiContext& context_;
  ScanServices& services_;
  const ScanMode mode_;
  SkinPanel titlePanel_;
  QLabel* status_ = nullptr;
  QListWidget* list_ = nullptr;
  ScanLineFormatter lines_;
  ScanProgress progress_;
  QProgressBar* bar_ = nullptr;
  QLabel* progressLine_ = nullptr;
  QElapsedTimer elapsed_;
  QTimer tick_;
  bool running_ = false;
  bool waitCursor_ = false;
  bool closing_ = false;
  std::vector<std::u16string> logLines_;  // the worker's until it hands over
  BackgroundWork logLoad_;                // last: waits for the worker first
};

// Runs the dialog for `mode` modally over `owner`, once the runner is idle;
// returns when the dialog has ended.
void OpenScanDialog(const UiContext& context, ScanServices& services, ScanMode mode,
                    QWidget* owner);

}  // namespace kv
