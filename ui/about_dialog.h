// AboutDialog: the About box, dialog layout 100, run modally from the main
// window's "About(&A)..." command.
//
// Entry points: AboutDialog, OnAbout.
// Full screen like every window of the program, with the soft keys of menu
// 4 ("OK", "Cancel"; both close it) and the title panel: caption "About"
// (string 6601) at 12 x 4 scale units in 12 points, over skin picture 5370,
// 28 scale units high across the main window's client width. The texts are
// the layout's own, so the database version line is always the fixed
// "VirusDB Version: 20102", whatever database is loaded.
#pragma once

#include <QDialog>

#include "ui/skin_panel.h"
#include "ui/ui_context.h"

namespace kv {

class AboutDialog final : public QDialog {
 public:
  AboutDialog(const UiContext& context, QWidget* owner);

  SkinPanel& TitlePanel() { return titlePanel_; }

 private:
  void OnCommand(int command);

  SkinPanel titlePanel_;
};

// Opens the About box over `owner` and returns when it is closed.
void OnAbout(const UiContext& context, QWidget* owner);

}  // namespace kv
