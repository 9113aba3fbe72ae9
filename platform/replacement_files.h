// The new files that ReplaceStoreFile writes beside the file it replaces,
// and the removal of those a killed program left behind.
//
// Entry points: ReplacementFileName (files_replace.cpp names its new file
// with it), RemoveStrayReplacements.
//
// A new file is named "." + the target's host name + ".new-" + 8 lower-case
// hex digits, hidden and in the target's own folder, so that the rename
// into place never crosses a file system. A process killed between its
// creation and the rename leaves it there; nothing else ever names a file
// that way, so the next writer of the same target may remove it.
#pragma once

#include <string>
#include <string_view>

#include "platform/store.h"

namespace kv {

// The new file's name beside `target` for the random number `random`.
std::string ReplacementFileName(std::string_view target, unsigned random);

// Removes every stray new file beside the store file `devicePath` (its
// target name matched ignoring case), never through a link and never a
// folder. Returns how many were removed; -1 when the folder cannot be read.
// A replacement running at the same moment in another process may lose its
// new file and then fails, leaving its target as it was.
int RemoveStrayReplacements(const Store& store, std::u16string_view devicePath);

}  // namespace kv
