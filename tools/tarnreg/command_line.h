// Parsing tarnreg's arguments in the style of the Windows reg command:
// KEY, then switches beginning with "/" in any letter case (/v NAME, /ve,
// /va, /t TYPE, /d DATA, /f), each at most once and only where the verb
// takes it.
#pragma once

#include <string>
#include <vector>

#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/command.h"

namespace kv::tarnreg {

using Args = std::vector<std::string>;

// Fills `command` from the arguments after the verb. Returns kExitOk, or
// kExitError after reporting the first problem as a usage error.
int ParseCommand(const Verb& verb, const Args& args, Command& command);

}  // namespace kv::tarnreg
