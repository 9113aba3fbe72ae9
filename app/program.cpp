// The entry function. An interactive start goes to the window system the
// program's main handed in; without one it says so on one line and ends
// with 1, as a start without a display does.
#include "app/program.h"

#include <iostream>

#include "app/app_context.h"
#include "app/cab_check.h"
#include "app/exit_codes.h"
#include "app/run_mode.h"
#include "app/silent_scans.h"
#include "platform/console_message_boxes.h"
#include "platform/display.h"

namespace kv {
namespace {

constexpr const char* kUsage =
    "Usage: tarnwatch [-hide | -autocheck | -hideandscan | CAB-PATH]\n"
    "       tarnwatch --help | --version\n"
    "Kestrelvox, the handset's anti-virus scanner, on the device prefix\n"
    "$KESTRELVOX_PREFIX (default ~/.kestrelvox when it exists, else\n"
    "$XDG_DATA_HOME/kestrelvox).\n"
    "\n"
    "  (no argument), -hide   the interactive program (its window)\n"
    "  -autocheck             silent self scan: processes, then the files the\n"
    "                         database names; findings logged and shown in boxes\n"
    "  -hideandscan           background scan of the whole store; writing\n"
    "                         ScanStatus 0 (tarnreg) stops it, 2 tells it finished\n"
    "  CAB-PATH               check a CAB package, then hand it to\n"
    "                         \\windows\\wceload.exe (a device path, or a host path)\n"
    "\n"
    "Message boxes are windows when a display can be reached, else they appear\n"
    "on the console (answered on standard input); KESTRELVOX_UI=console or gui\n"
    "chooses.\n"
    "Exit status: 0 when the installer was started or the window closed by\n"
    "Exit, 255 (-1) after a silent mode, 1 when the window cannot open.\n";

// Runs the mode the command line chose.
int RunChosenMode(AppContext& context, const std::u16string& commandLine,
                  const WindowSystem& windowSystem) {
  const RunMode mode = ChooseRunMode(commandLine);
  if (mode == RunMode::kInteractive || mode == RunMode::kInteractiveHidden) {
    if (windowSystem.interactive) {
      return windowSystem.interactive(context, mode == RunMode::kInteractiveHidden);
    }
    std::cerr << "tarnwatch: this build has no interactive window; run -autocheck, "
                 "-hideandscan or a CAB path\n";
    return kExitNoWindow;
  }
  if (mode == RunMode::kBackgroundScan) return RunBackgroundScan(context);
  const SilentRun run = [&](MessageBoxes& boxes) {
    context.boxes = &boxes;
    return mode == RunMode::kSelfScan ? RunSelfScan(context) : RunCabCheck(context, commandLine);
  };
  if (windowSystem.withQtBoxes && ChooseBoxFace() == BoxFace::kGui) {
    return windowSystem.withQtBoxes(run);
  }
  ConsoleMessageBoxes console;
  return run(console);
}

}  // namespace

int RunTarnwatch(const std::vector<std::string>& arguments, const WindowSystem& windowSystem) {
  if (arguments.size() == 1 && arguments[0] == "--help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::cout << "tarnwatch (Kestrelvox) " << KV_VERSION << "\n";
    return kExitOk;
  }
  const std::u16string commandLine = JoinArguments(arguments);
  const std::filesystem::path prefix = PrefixFromEnvironment();
  AppContext context;
  if (!OpenAppContext(prefix, context)) {
    std::cerr << "tarnwatch: cannot open the device prefix '" << prefix.string() << "'\n";
    return kExitSilentMode;
  }
  const int status = RunChosenMode(context, commandLine, windowSystem);
  KeepUntilProcessEnds(context.database.Current());  // the program ends here
  return status;
}

}  // namespace kv
