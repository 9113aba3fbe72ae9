// Where the running program is, and so where its installed data lives.
//
// Entry points: RunningProgramPath, DataFolderFromEnvironment.
// The data folder (the skin, the installer stand-in, the demo database and
// its trust key) is installed as <install prefix>/share/kestrelvox, the
// programs as <install prefix>/bin: so the folder is found from the program
// itself, wherever the installation was put, with no path built in.
#pragma once

#include <filesystem>

namespace kv {

// The running program's file (/proc/self/exe); empty when the host cannot
// say.
std::filesystem::path RunningProgramPath();

// $KESTRELVOX_DATA_DIR when set and not empty (a build tree, a test), else
// <the program's folder>/../share/kestrelvox; empty when neither is known.
// Whether the folder holds anything is the caller's to check.
std::filesystem::path DataFolderFromEnvironment();

}  // namespace kv
