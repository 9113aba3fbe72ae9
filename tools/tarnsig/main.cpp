// tarnsig, the signature database tool: entry point. Parses the first
// argument (a verb, -h/--help or --version) and hands the rest to the verb;
// the verbs live one per file and are listed in cli.cpp.
#include <iostream>
#include <string>
#include <string_view>

#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

int main(int argc, char** argv) {
  using kv::tarnsig::Fail;
  if (argc < 2) return Fail("missing verb (see 'tarnsig --help')");
  const std::string_view first = argv[1];
  if (first == "-h" || first == "--help") {
    std::cout << kv::tarnsig::UsageText();
    return kv::tarnsig::kExitOk;
  }
  if (first == "--version") {
    std::cout << "tarnsig (Kestrelvox) " << KV_VERSION << "\n";
    return kv::tarnsig::kExitOk;
  }
  const kv::tarnsig::Verb* verb = kv::tarnsig::FindVerb(first);
  if (verb == nullptr)
    return Fail("unknown verb '" + std::string(first) + "' (see 'tarnsig --help')");
  return verb->run(kv::tarnsig::Args(argv + 2, argv + argc));
}
