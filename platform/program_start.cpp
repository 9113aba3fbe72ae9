// StartStoreProgram: the store file is resolved like every other store file
// (one component at a time, no links), its command line is split by the
// Windows rules, and the arguments leave the program as UTF-8, with the
// byte escapes of non-UTF-8 host names (host_name.h) turned back into their
// bytes so that a path handed over still names its file.
#include "platform/program_start.h"

#include <sys/stat.h>

#include "platform/detached_start.h"
#include "platform/host_link.h"
#include "platform/store_path.h"
#include "platform/text.h"
#include "platform/utf_codec.h"
#include "platform/windows_command_line.h"

namespace kv {
namespace {

std::string HostArgument(std::u16string_view argument) {
  std::optional<std::string> bytes = EncodeUtf8(argument, LoneSurrogate::kUnescapeBytes);
  if (bytes) return std::move(*bytes);
  return Utf16ToUtf8(argument);  // other lone surrogates: U+FFFD
}

}  // namespace

bool StartStoreProgram(const Store& store, std::u16string_view programPath,
                       std::u16string_view commandLine) {
  const Result<ResolvedEntry> found = ResolveStoreEntry(store, programPath);
  if (!found.Ok() || !S_ISREG(found.value.entry.status.st_mode)) return false;
  const std::optional<std::string> folderPath = DescriptorHostPath(found.value.folder.Get());
  if (!folderPath) return false;
  std::vector<std::string> arguments{*folderPath + "/" + found.value.entry.hostName};
  for (const std::u16string& argument : SplitWindowsCommandLine(commandLine)) {
    // A host argument ends at its first zero byte: refused, not cut short.
    if (argument.find(u'\0') != std::u16string::npos) return false;
    arguments.push_back(HostArgument(argument));
  }
  return StartDetached(found.value.folder.Get(), found.value.entry.hostName, arguments);
}

}  // namespace kv
