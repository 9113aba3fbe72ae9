// QuarantineDialog: the files scans have moved to the quarantine, newest
// first, to restore to their places or delete for good.
//
// Entry points: QuarantineDialog, OpenQuarantineDialog, QuarantineLines.
//
// Built as the scan dialog is, from its layout 130 and at its geometry:
// the title panel, the status line (control 1008) and the list (control
// 1007). Soft keys of menu 132: Restore, and Menu with Delete and Back.
// Only items whose file is quarantined, or recorded so but gone
// ("missing"), are listed; restored, purged and deleted ones are history.
// Each item is two lines: its device path, cut in the middle where too
// long so that the file's name stays in sight, and "signature  time" (the
// record's UTC time in local time, as the log's lines), the signature cut
// so that the time stays whole. The title strip says "Quarantine"; the
// status line shows the selected item's path.
//
// Restore and Delete ask Yes/No first; a refusal (a file already at the
// path, its folder gone, the item gone meanwhile) is told in a box and the
// item stays listed. The list is read again after each, keeping the
// selected row's place. The quarantine's own functions do all the I/O and
// record every change.
#pragma once

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QString>
#include <vector>

#include "platform/quarantine.h"
#include "platform/store.h"
#include "ui/skin_panel.h"
#include "ui/ui_context.h"

namespace kv {

// The items a listing shows, newest first, each as its list text, with the
// signature cut to leave the time whole in `width` pixels of `metrics`.
struct QuarantineLine {
  QuarantineItem item;
  QString text;
};
std::vector<QuarantineLine> QuarantineLines(const QuarantineListing& listing,
                                            const QFontMetrics& metrics, int width);

class QuarantineDialog final : public QDialog {
 public:
  QuarantineDialog(const UiContext& context, const Store& store, QWidget* owner);

  QLabel* StatusLine() const { return status_; }
  QListWidget* List() const { return list_; }
  SkinPanel& TitlePanel() { return titlePanel_; }
  // The listed items, in the list's order.
  const std::vector<QuarantineLine>& Lines() const { return lines_; }

  void OnCommand(int command);

 private:
  void Refresh(int row);
  void ShowSelected();
  const QuarantineItem* Selected() const;
  // Restores (`restore`) or purges the selected item after asking, and
  // tells how it went.
  void ChangeSelected(bool restore);
  bool Ask(int text, const std::u16string& path);
  void Tell(int text, const std::u16string& path, int caption, MessageIcon icon);

  const UiContext& context_;
  const Store& store_;
  SkinPanel titlePanel_;
  QLabel* status_ = nullptr;
  QListWidget* list_ = nullptr;
  std::vector<QuarantineLine> lines_;
  bool readable_ = true;
};

// Runs the dialog modally over `owner`; returns when it has ended.
void OpenQuarantineDialog(const UiContext& context, const Store& store, QWidget* owner);

}  // namespace kv
