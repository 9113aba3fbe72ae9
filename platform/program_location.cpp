// The running program's file and its data folder; see the header.
#include "platform/program_location.h"

#include <system_error>

#include "platform/environment.h"

namespace kv {

std::filesystem::path RunningProgramPath() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : program;
}

std::filesystem::path DataFolderFromEnvironment() {
  if (auto named = GetEnvironment("KESTRELVOX_DATA_DIR"); named && !named->empty()) return *named;
  const std::filesystem::path program = RunningProgramPath();
  if (program.empty()) return {};
  return (program.parent_path() / ".." / "share" / "kestrelvox").lexically_normal();
}

}  // namespace kv
