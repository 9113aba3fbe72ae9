// The verbs of tarnscan, one per file. Each gets its table row and the
// arguments after the verb, parses them, opens the prefix only then, and
// returns the process exit status (cli.h).
#pragma once

#include "tools/tarnscan/cli.h"

namespace kv::tarnscan {

int RunLog(const Verb& verb, const Args& args);
int RunReport(const Verb& verb, const Args& args);
int RunScan(const Verb& verb, const Args& args);
int RunQuarantineList(const Verb& verb, const Args& args);
int RunQuarantineRestore(const Verb& verb, const Args& args);
int RunQuarantinePurge(const Verb& verb, const Args& args);
int RunInit(const Verb& verb, const Args& args);

}  // namespace kv::tarnscan
