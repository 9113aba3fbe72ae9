// kv_store_walker: the whole-process benchmark's yardsticks, as processes of
// the scanner's shape: walk the store of the device prefix the way the
// background scan walks it, then read every file (the read floor) or read
// and search every file with PCRE2-JIT (the baseline), on one thread; the
// read floor also on several, to show how far reading alone scales here.
//
//   kv_store_walker read PREFIX [THREADS]
//   kv_store_walker pcre2 PREFIX PATTERNS   (PATTERNS: one pattern a line)
//
// Prints "files F bytes B flagged N failed M"; exit status 0, or 2 when the
// store cannot be opened or walked.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/scan_modes.h"
#include "platform/store.h"
#include "scan/stop_token.h"
#include "scan/store_walk.h"

namespace {

int Run(const std::string& mode, const std::string& prefix, const std::string& patternsFile,
        unsigned threads) {
  kv::Result<kv::Store> opened = kv::Store::Open(prefix);
  if (!opened.Ok()) return 2;
  const kv::Store& store = opened.value;
  const kv::StopToken neverStopped;
  std::vector<std::u16string> paths;
  const kv::WalkOutcome walked = kv::WalkStoreFolder(
      store, neverStopped, u"",
      [&](std::u16string_view path, const kv::FileFinder* listing, std::u16string_view) {
        if (listing != nullptr) paths.emplace_back(path);
      });
  if (walked != kv::WalkOutcome::kCompleted) return 2;
  kv::bench::ScanOutcome outcome;
  if (mode == "read") {
    outcome = kv::bench::PlainRead(store, paths, threads);
  } else {
    std::ifstream in(patternsFile);
    std::vector<std::string> patterns;
    for (std::string line; std::getline(in, line);) patterns.push_back(line);
    outcome = kv::bench::Pcre2Scan(store, patterns, paths);
  }
  std::size_t flagged = 0;
  std::size_t failed = 0;
  for (const int code : outcome.codes) {
    flagged += code > 0;
    failed += code < 0;
  }
  std::cout << "files " << paths.size() << " bytes " << outcome.bytes << " flagged " << flagged
            << " failed " << failed << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if ((args.size() == 2 || args.size() == 3) && args[0] == "read") {
    const int threads = args.size() == 3 ? std::atoi(args[2].c_str()) : 1;
    if (threads >= 1) return Run(args[0], args[1], {}, static_cast<unsigned>(threads));
  }
  if (args.size() == 3 && args[0] == "pcre2") return Run(args[0], args[1], args[2], 1);
  std::cerr << "usage: kv_store_walker read PREFIX [THREADS] | pcre2 PREFIX PATTERNS\n";
  return 2;
}
