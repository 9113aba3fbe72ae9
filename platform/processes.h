// The handset's processes on the host: the host processes whose executable
// is a file of the store itself (the same device and inode, not merely the
// same path text: another mount namespace may show another program at a
// store file's path). A process running any other program is not on the
// handset and is never listed, opened or touched. A process whose executable
// was deleted from the store after it started stays a handset process, under
// the path its file had, so that it can still be ended, as long as the file
// lay on the store's own mount; one started from another mount namespace
// cannot be shown to be the store's once its file is gone, and is not one.
//
// Entry points: TakeProcessSnapshot (the process list, with executable
// names), ProcessHandle (open one, its executable's device path,
// terminate it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"
#include "platform/store.h"

namespace kv {

struct ProcessEntry {
  int id = 0;
  std::u16string exeName;  // the executable's file name, as in the store ("evil.exe")
};

// The handset's processes in the host's order (ascending ids). Fails when
// the host's process list cannot be read.
[[nodiscard]] Result<std::vector<ProcessEntry>> TakeProcessSnapshot(const Store& store);

// One opened process. The handle pins the process itself, so a process that
// ends and whose id is reused is never mistaken for another.
class ProcessHandle {
 public:
  ProcessHandle();
  ProcessHandle(ProcessHandle&&) noexcept;
  ProcessHandle& operator=(ProcessHandle&&) noexcept;
  ~ProcessHandle();

  // Opens the handset process `id`. Fails when it is gone, is not a handset
  // process (its executable is not the store's file: kFileNotFound) or the
  // host refuses signals to it.
  [[nodiscard]] static Result<ProcessHandle> Open(const Store& store, int id);

  // The device path of its executable ("\Program Files\Tool\evil.exe"), at
  // most 255 units; empty for a handle not opened.
  const std::u16string& ExecutablePath() const { return executablePath_; }

  // Ends the process at once (SIGKILL) and waits briefly until it is gone.
  // false when the host refuses; a process that has ended meanwhile is
  // ended (true). Reaps nothing: the process is not our child.
  [[nodiscard]] bool Terminate();

 private:
  struct Host;
  std::unique_ptr<Host> host_;
  std::u16string executablePath_;
};

}  // namespace kv
