// The verbs of tarnreg, the registry tool, one per file. Each gets the
// hive and its parsed command and returns the process exit status (cli.h).
#pragma once

#include "registry/hive.h"
#include "tools/tarnreg/command.h"

namespace kv::tarnreg {

int RunQuery(RegistryHive& hive, const Command& command);
int RunAdd(RegistryHive& hive, const Command& command);
int RunDelete(RegistryHive& hive, const Command& command);

}  // namespace kv::tarnreg
