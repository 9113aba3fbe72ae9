// ScanDialog: the scan and log dialog, layout 130. In the scan modes it
// writes the start lines, starts the scan thread and shows and logs every
// line the scan hands over; in the log mode it shows the activity log,
// newest line first.
//
// Entry points: ScanServices, ScanDialog, OpenScanDialog.
//
// Layout (s the scale): the title panel across the top, 40 s high, without
// caption; the status line (control 1008) at 3 s, 50 s, the client width
// less 6 s across and 26 s high; the list (control 1007) at 3 s, 100 s,
// the client width less 6 s and the client height less 128 s. Soft keys of
// menu 131: Stop and Back.
//
// Hand-over, by the line's first character: "<OK>"/"<NO>" and a path count
// a finding and put the path into list and log, then, above it in the list
// and after it in the log, "[n].Found Trojan," with "Delete successfully:"
// or "Can not delete:"; "*" and text put the text into list and log; "&"
// ends the scan (running flag cleared, normal cursor). The status line
// shows the line (the path for a finding), but nothing for a "*" line or
// the end marker; a plain status text changes only the status line.
//
// Back (and OK and Cancel) during a scan say "Please stop scan first!";
// Stop during a scan asks "Scan is running,stop it?" and on Yes clears the
// running flag and closes the dialog at once, leaving the scan thread to
// the runner (scan_runner.h). Without a scan both close at once.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <functional>

#include "platform/store.h"
#include "scan/scan_outputs.h"
#include "ui/scan_runner.h"
#include "ui/skin_panel.h"
#include "ui/ui_context.h"

namespace kv::ui {

struct ScanServices {
  const platform::Store& store;  // whose log the dialog writes and reads
  ScanRunner& runner;
  ScanLog& scanLog;  // the log as the scan itself writes it
  const ScanClock& clock;
  // The scan the thread runs, RunScan in the program; given the outputs
  // whose boxes the dialog's owner window owns.
  std::function<void(const ScanOutputs&)> runScan;
};

class ScanDialog final : public QDialog, private ScanLineView {
 public:
  // Lays the dialog out and starts the scan or fills the log view for the
  // session's mode. Call only while the runner is idle.
  ScanDialog(const UiContext& context, ScanServices& services, QWidget* owner);
  ~ScanDialog() override;

  QLabel* StatusLine() const { return status_; }
  QListWidget* List() const { return list_; }
  int FoundCount() const { return found_; }
  SkinPanel& TitlePanel() { return titlePanel_; }

  void OnCommand(int command);

 protected:
  void reject() override;  // Escape and the window's close: as Cancel
  void closeEvent(QCloseEvent* event) override;

 private:
  void HandleLine(std::u16string_view line) override;
  void Layout(const QRect& client);
  void StartScan();
  void ShowLog();
  void AddListLine(std::u16string_view text, bool alsoLog);
  void ShowWaitCursor();
  void RestoreCursor();

  const UiContext& context_;
  ScanServices& services_;
  ScanSession& session_;
  SkinPanel titlePanel_;
  QLabel* status_ = nullptr;
  QListWidget* list_ = nullptr;
  int found_ = 0;
  bool waitCursor_ = false;
  bool closing_ = false;
};

// Stores `mode` in the session and runs the dialog modally over `owner`,
// once the runner is idle; returns when the dialog has ended.
void OpenScanDialog(const UiContext& context, ScanServices& services, ScanMode mode,
                    QWidget* owner);

}  // namespace kv::ui
