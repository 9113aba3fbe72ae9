// ProgramApplication: the one QApplication of a tarnwatch process, for the
// window and for the boxes of a silent run alike. The display is probed
// before (platform/display.h), but one that takes the connection and then
// refuses it (its authorisation, say) is only found by QApplication, which
// then aborts; while it is being made, its fatal message becomes the
// program's one line and exit code 1 instead.
#pragma once

#include <QApplication>

namespace kv {

// Ends an interactive start without a display it can reach.
inline constexpr int kNoDisplayExitCode = 1;

// The line that follows "tarnwatch: <why>; " when there is no display.
inline constexpr const char* kNoDisplayHint =
    "the silent modes -autocheck, -hideandscan and a CAB path need none\n";

class ProgramApplication {
 public:
  ProgramApplication();
  ProgramApplication(const ProgramApplication&) = delete;
  ProgramApplication& operator=(const ProgramApplication&) = delete;

  QApplication& Get() { return application_; }

 private:
  // QApplication keeps references to these for its whole life.
  int argc_ = 1;
  char program_[10] = "tarnwatch";
  char* argv_[2] = {program_, nullptr};
  QApplication application_;
};

}  // namespace kv
