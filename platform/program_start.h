// Starting a program of the store, as the handset starts the system
// installer: the store file runs as a host program, detached, not waited
// for.
//
// Entry point: StartStoreProgram.
#pragma once

#include <string_view>

#include "platform/store.h"

namespace kv {

// Starts the store file `programPath` (a device path) with `commandLine`,
// split into arguments by the Windows rules (`"\My Documents\a.cab"
// /nodelete` gives two arguments). true when the program was started;
// false when the file is missing, a link, no regular file or not
// executable, or an argument holds U+0000 (no host argument can).
[[nodiscard]] bool StartStoreProgram(const Store& store, std::u16string_view programPath,
                                     std::u16string_view commandLine);

}  // namespace kv
