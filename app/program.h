// RunTarnwatch: the program's entry function, from the host's arguments to
// the exit code.
//
// Start-up order, as on the handset: the application record, the database,
// the ScanStatus watch, then the run mode the command line chooses: the
// interactive program (none, "-hide"), the silent self scan ("-autoch..."),
// the background scan ("-hideandscan") or the CAB check (anything else).
// "--help" and "--version", alone, are answered as Linux programs answer
// them; no handset argument looks like either.
#pragma once

#include <string>
#include <vector>

namespace kv::app {

int RunTarnwatch(const std::vector<std::string>& arguments);

}  // namespace kv::app
