// The verbs of tarnreg, the registry tool, one per file. Each gets the
// hive and its parsed command and returns the process exit status (cli.h).
#pragma once

#include "platform/registry_hive.h"
#include "tools/tarnreg/command.h"

namespace kv::tarnreg {

int RunQuery(platform::RegistryHive& hive, const Command& command);
int RunAdd(platform::RegistryHive& hive, const Command& command);
int RunDelete(platform::RegistryHive& hive, const Command& command);

}  // namespace kv::tarnreg
