// tarnreg, the registry tool: entry point. Parses the first argument (a
// verb, -h/--help or --version) and the verb's arguments, and only then
// opens the hive, so that help and usage errors leave the prefix alone.
// The verbs live one per file; the table is in cli.cpp.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/store.h"
#include "registry/hive.h"
#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/command_line.h"

int main(int argc, char** argv) {
  using kv::tarnreg::Fail;
  if (argc < 2) return Fail("missing verb (see 'tarnreg --help')");
  const std::string_view first = argv[1];
  if (first == "-h" || first == "--help") {
    std::cout << kv::tarnreg::UsageText();
    return kv::tarnreg::kExitOk;
  }
  if (first == "--version") {
    std::cout << "tarnreg (Kestrelvox) " << KV_VERSION << "\n";
    return kv::tarnreg::kExitOk;
  }
  const kv::tarnreg::Verb* verb = kv::tarnreg::FindVerb(first);
  if (verb == nullptr) {
    return Fail("unknown verb '" + std::string(first) + "' (see 'tarnreg --help')");
  }
  kv::tarnreg::Command command;
  if (const int status =
          kv::tarnreg::ParseCommand(*verb, kv::tarnreg::Args(argv + 2, argv + argc), command);
      status != kv::tarnreg::kExitOk) {
    return status;
  }
  const std::filesystem::path prefix = kv::PrefixFromEnvironment();
  // Opened for the prefix it creates on first use.
  kv::Result<kv::Store> store = kv::Store::Open(prefix);
  if (!store.Ok()) {
    return Fail(
        kv::WithCause("cannot open the device prefix '" + prefix.string() + "'", store.cause));
  }
  kv::RegistryHive hive(kv::HivePath(store.value));
  return verb->run(hive, command);
}
