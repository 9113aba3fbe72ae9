// The program's exit codes, the handset's: -1 (status 255 on the host) ends
// every silent mode but a CAB check that started the installer (0).
#pragma once

namespace kv {

inline constexpr int kExitInstallerStarted = 0;
inline constexpr int kExitSilentMode = -1;
// The interactive program's: Exit from the menu, and a start that cannot go on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoWindow = 1;

}  // namespace kv
