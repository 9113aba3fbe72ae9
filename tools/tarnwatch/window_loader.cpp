// Loads the window module on first use; see the header.
#include "tools/tarnwatch/window_loader.h"

#include <filesystem>
#include <iostream>
#include <optional>

#include "app/exit_codes.h"
#include "platform/console_message_boxes.h"
#include "platform/loadable_module.h"
#include "platform/program_location.h"
#include "tools/tarnwatch/window_entry.h"

namespace kv::tarnwatch {
namespace {

// Beside the program in a build tree, else where the package puts it.
std::filesystem::path WindowModulePath(const std::filesystem::path& program) {
  const std::filesystem::path folder = program.parent_path();
  const std::filesystem::path beside = folder / kWindowModuleName;
  std::error_code error;
  if (std::filesystem::exists(beside, error)) return beside;
  return (folder / KV_WINDOW_MODULE_DIR / kWindowModuleName).lexically_normal();
}

// The module's window system, loaded once; nullopt (said on stderr) when
// the module cannot be loaded.
const std::optional<WindowSystem>& LoadedWindowSystem() {
  static const std::optional<WindowSystem> loaded = []() -> std::optional<WindowSystem> {
    const LoadableModule module = LoadableModule::Open(WindowModulePath(RunningProgramPath()));
    auto* fill = reinterpret_cast<FillWindowSystem*>(module.Symbol(kWindowEntryName));
    if (fill == nullptr) {
      std::cerr << "tarnwatch: cannot load the window: "
                << (module.IsOpen() ? std::string(kWindowEntryName) + " is missing"
                                    : module.Error())
                << "\n";
      return std::nullopt;
    }
    WindowSystem windowSystem;
    fill(windowSystem);
    return windowSystem;
  }();
  return loaded;
}

}  // namespace

WindowSystem ModuleWindowSystem() {
  WindowSystem windowSystem;
  windowSystem.interactive = [](AppContext& context, bool hide) {
    const auto& loaded = LoadedWindowSystem();
    return loaded ? loaded->interactive(context, hide) : kExitNoWindow;
  };
  windowSystem.withQtBoxes = [](const SilentRun& run) {
    if (const auto& loaded = LoadedWindowSystem()) return loaded->withQtBoxes(run);
    ConsoleMessageBoxes console;
    return run(console);
  };
  return windowSystem;
}

}  // namespace kv::tarnwatch
