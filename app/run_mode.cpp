// The run-mode tests and the CAB argument clean-up, step by step as the
// handset did them.
#include "app/run_mode.h"

#include "platform/limits.h"
#include "platform/text.h"

namespace kv {

std::u16string JoinArguments(const std::vector<std::string>& arguments) {
  std::string joined;
  for (const std::string& argument : arguments) {
    if (!joined.empty()) joined += ' ';
    joined += argument;
  }
  return Utf8ToUtf16(joined);
}

RunMode ChooseRunMode(std::u16string_view commandLine) {
  if (commandLine.empty()) return RunMode::kInteractive;
  if (commandLine.substr(0, 7) == u"-autoch") return RunMode::kSelfScan;
  if (commandLine == u"-hideandscan") return RunMode::kBackgroundScan;
  if (commandLine == u"-hide") return RunMode::kInteractiveHidden;
  return RunMode::kCabCheck;
}

std::optional<std::u16string> CabPathOfArgument(std::u16string_view argument) {
  std::u16string_view path = argument;
  while (!path.empty() && path.back() == u' ') path.remove_suffix(1);
  if (const std::size_t quote = path.rfind(u'"'); quote != std::u16string_view::npos) {
    path = path.substr(0, quote);
  }
  if (!path.empty() && path.front() == u'"') path.remove_prefix(1);
  if (path.size() > limits::kMaxDevicePathUnits) return std::nullopt;
  return std::u16string(path);
}

}  // namespace kv
