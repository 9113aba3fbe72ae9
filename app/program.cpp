// The entry function. An interactive start goes to the InteractiveStart
// the program's main handed in; without one it says so on one line and ends
// with 1, as a start without a display does.
#include "app/program.h"

#include <iostream>

#include "app/app_context.h"
#include "app/background_scan.h"
#include "app/cab_check.h"
#include "app/exit_codes.h"
#include "app/run_mode.h"
#include "app/self_scan.h"
#include "platform/console_message_boxes.h"

namespace kv::app {
namespace {

constexpr const char* kUsage =
    "Usage: tarnwatch [-hide | -autocheck | -hideandscan | CAB-PATH]\n"
    "       tarnwatch --help | --version\n"
    "Kestrelvox, the handset's anti-virus scanner, on the device prefix\n"
    "$KESTRELVOX_PREFIX (default ~/.kestrelvox).\n"
    "\n"
    "  (no argument), -hide   the interactive program (its window)\n"
    "  -autocheck             silent self scan: processes, then the files the\n"
    "                         database names; findings logged and shown in boxes\n"
    "  -hideandscan           background scan of the whole store; writing\n"
    "                         ScanStatus 0 (tarnreg) stops it, 2 tells it finished\n"
    "  CAB-PATH               check a CAB package, then hand it to\n"
    "                         \\windows\\wceload.exe (a device path, or a host path)\n"
    "\n"
    "Message boxes appear on the console (answered on standard input).\n"
    "Exit status: 0 when the installer was started or the window closed by\n"
    "Exit, 255 (-1) after a silent mode, 1 when the window cannot open.\n";

}  // namespace

int RunTarnwatch(const std::vector<std::string>& arguments, const InteractiveStart& interactive) {
  if (arguments.size() == 1 && arguments[0] == "--help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::cout << "tarnwatch (Kestrelvox) " << KV_VERSION << "\n";
    return kExitOk;
  }
  const std::u16string commandLine = JoinArguments(arguments);
  const std::filesystem::path prefix = platform::PrefixFromEnvironment();
  AppContext context;
  if (!OpenAppContext(prefix, std::make_unique<platform::ConsoleMessageBoxes>(), context)) {
    std::cerr << "tarnwatch: cannot open the device prefix '" << prefix.string() << "'\n";
    return kExitSilentMode;
  }
  const RunMode mode = ChooseRunMode(commandLine);
  switch (mode) {
    case RunMode::kSelfScan:
      return RunSelfScan(context);
    case RunMode::kBackgroundScan:
      return RunBackgroundScan(context);
    case RunMode::kCabCheck:
      return RunCabCheck(context, commandLine);
    case RunMode::kInteractive:
    case RunMode::kInteractiveHidden:
      if (interactive) return interactive(context, mode == RunMode::kInteractiveHidden);
      break;
  }
  std::cerr << "tarnwatch: this build has no interactive window; run -autocheck, "
               "-hideandscan or a CAB path\n";
  return kExitNoWindow;
}

}  // namespace kv::app
