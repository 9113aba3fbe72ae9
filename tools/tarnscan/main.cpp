// tarnscan, the command-line face of Kestrelvox: entry point. Handles
// -h/--help and --version, finds the verb (cli.cpp's table) and hands over
// the rest of the arguments; each verb lives in a file of its own.
#include <iostream>
#include <string>

#include "tools/tarnscan/cli.h"

int main(int argc, char** argv) {
  using kv::tarnscan::Fail;
  const kv::tarnscan::Args args(argv + 1, argv + argc);
  if (args.empty()) return Fail("missing verb (see 'tarnscan --help')");
  if (args[0] == "-h" || args[0] == "--help") {
    std::cout << kv::tarnscan::UsageText();
    return kv::tarnscan::kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "tarnscan (Kestrelvox) " << KV_VERSION << "\n";
    return kv::tarnscan::kExitOk;
  }
  if (args[0] == "quarantine" && args.size() == 1) {
    return Fail("quarantine: missing list, restore or purge (see 'tarnscan --help')");
  }
  std::size_t used = 0;
  const kv::tarnscan::Verb* verb = kv::tarnscan::FindVerb(args, used);
  if (verb == nullptr) {
    const std::string typed =
        args[0] + (args[0] == "quarantine" && args.size() > 1 ? " " + args[1] : std::string());
    return Fail("unknown verb '" + typed + "' (see 'tarnscan --help')");
  }
  return verb->run(*verb, kv::tarnscan::Args(args.begin() + static_cast<long>(used), args.end()));
}
