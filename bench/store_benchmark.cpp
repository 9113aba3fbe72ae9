// kv_store_benchmark: whole-store scan throughput of the reference way, the
// fast way, PCRE2-JIT and a plain read, over a seeded synthetic store with
// signature sets of 10, 100 and 1000; also the time to load a 1000-signature
// database and the cost of one catastrophic signature among 100. Checks that
// every way flags the same files and writes the results table into
// bench/README.md (between its results markers).
//
// The reference way is far too slow to scan the whole store with 100 and
// 1000 signatures, so it scans a share of the files (taken evenly through
// the store) and its MB/s is measured on that share; the table says which.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/corpus/synthetic_store.h"
#include "bench/scan_modes.h"
#include "platform/text.h"

namespace kv::bench {
namespace {

using Options = StoreOptions;

struct Sample {
  std::vector<std::u16string> paths;
  std::size_t bytes = 0;
};

// Every file of the store, or an even share of them.
Sample TakeShare(const std::vector<synthetic::StoreFile>& files, int percent) {
  Sample sample;
  const int stride = std::max(1, 100 / percent);
  for (std::size_t i = 0; i < files.size(); i += static_cast<std::size_t>(stride)) {
    std::u16string path = u"\\" + Utf8ToUtf16(files[i].relativePath.generic_string());
    std::replace(path.begin(), path.end(), u'/', u'\\');
    sample.paths.push_back(std::move(path));
    sample.bytes += files[i].content.size();
  }
  return sample;
}

// Files whose codes differ between `a` and `b` (over the files `a` scanned
// when `a` is a share taken with `stride`).
int Differences(const std::vector<int>& a, const std::vector<int>& b, std::size_t stride = 1) {
  int differences = 0;
  for (std::size_t i = 0; i < a.size(); ++i) differences += (a[i] > 0) != (b[i * stride] > 0);
  return differences;
}

int Run(const Options& options) {
  const std::vector<synthetic::SyntheticSignature> signatures =
      synthetic::MakeSignatures(1000, options.seed);
  auto patternsOf = [&](std::size_t count) {
    std::vector<std::string> patterns;
    for (std::size_t i = 0; i < count; ++i) patterns.push_back(signatures[i].pattern);
    return patterns;
  };
  synthetic::StoreOptions storeOptions;
  storeOptions.files = options.files;
  storeOptions.largestFile = std::size_t{1024} * 1024;
  storeOptions.plantedPercent = 15;
  const std::vector<synthetic::StoreFile> files =
      synthetic::MakeStore(storeOptions, signatures, options.seed + 1);
  const std::filesystem::path prefix =
      std::filesystem::temp_directory_path() / ("kestrelvox-bench-" + std::to_string(options.seed));
  std::filesystem::remove_all(prefix);
  Result<Store> opened = Store::Open(prefix);
  if (!opened.Ok()) {
    std::cerr << "cannot make the store at " << prefix << "\n";
    return 1;
  }
  const Store store = std::move(opened.value);
  synthetic::WriteStore(store.StorePath(), files);
  const Sample whole = TakeShare(files, 100);
  const ScanOutcome read = BestOf(2, [&] { return PlainRead(store, whole.paths); });
  std::cerr << "store: " << whole.paths.size() << " files, " << whole.bytes / 1e6 << " MB\n";

  std::string table =
      "| signatures | plain read MB/s | reference MB/s (files scanned) | fast MB/s | "
      "PCRE2-JIT MB/s | fast / PCRE2 | fast / read | flagged | differences |\n"
      "|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
  double fast100Seconds = 0;
  bool agree = true;
  for (const std::size_t count : {10u, 100u, 1000u}) {
    const std::shared_ptr<const SignatureDatabase> database =
        LoadDatabase(EncodedDatabase(patternsOf(count)));
    ScanOutcome fast =
        BestOf(2, [&] { return MatcherScan(store, *database, MatchPath::kFast, whole.paths); });
    fast.bytes = whole.bytes;
    if (count == 100) fast100Seconds = fast.seconds;
    const ScanOutcome pcre2 =
        BestOf(2, [&] { return Pcre2Scan(store, patternsOf(count), whole.paths); });
    const int percent = count == 10 ? 100 : (count == 100 ? 10 : 2);
    const Sample share = TakeShare(files, percent);
    ScanOutcome reference = MatcherScan(store, *database, MatchPath::kReference, share.paths);
    reference.bytes = share.bytes;
    const std::size_t stride = static_cast<std::size_t>(std::max(1, 100 / percent));
    const int versusPcre2 = Differences(fast.codes, pcre2.codes);
    int versusReference = 0;
    for (std::size_t i = 0; i < reference.codes.size(); ++i) {
      versusReference += reference.codes[i] != -1 && reference.codes[i] != fast.codes[i * stride];
    }
    agree = agree && versusPcre2 == 0 && versusReference == 0;
    const auto flagged =
        std::count_if(fast.codes.begin(), fast.codes.end(), [](int c) { return c > 0; });
    table += "| " + std::to_string(count) +
             Format(" | %.0f | %.2f", read.MegabytesPerSecond(), reference.MegabytesPerSecond()) +
             " (" + std::to_string(share.paths.size()) + "/" + std::to_string(whole.paths.size()) +
             ")" + Format(" | %.0f | %.0f", fast.MegabytesPerSecond(), pcre2.MegabytesPerSecond()) +
             Format(" | %.1fx | %.0f%% | ", fast.MegabytesPerSecond() / pcre2.MegabytesPerSecond(),
                    100 * fast.MegabytesPerSecond() / read.MegabytesPerSecond()) +
             std::to_string(flagged) + " | " + std::to_string(versusReference) + " vs reference, " +
             std::to_string(versusPcre2) + " vs PCRE2" +
             (pcre2.skippedSignatures ? " (" + std::to_string(pcre2.skippedSignatures) +
                                            " signatures PCRE2 cannot compile)"
                                      : std::string()) +
             " |\n";
    std::cerr << "done: " << count << " signatures\n";
  }

  std::vector<std::string> hostile = patternsOf(100);
  hostile.insert(hostile.begin() + 50, kHostileSignature);
  const std::shared_ptr<const SignatureDatabase> hostileDatabase =
      LoadDatabase(EncodedDatabase(hostile));
  const ScanOutcome withHostile = BestOf(
      2, [&] { return MatcherScan(store, *hostileDatabase, MatchPath::kFast, whole.paths); });
  const auto failed = std::count(withHostile.codes.begin(), withHostile.codes.end(), -1);

  table += "\nMachine: " + MachineLine() + "; one thread; " + std::to_string(whole.paths.size()) +
           " files, " + Format("%.1f MB", whole.bytes / 1e6) + ", seed " +
           std::to_string(options.seed) + ".\n\n" +
           Format("Loading, compiling and analysing the 1000-signature database: %.1f ms.\n\n",
                  LoadMilliseconds(EncodedDatabase(patternsOf(1000)))) +
           "One catastrophic signature (`" + kHostileSignature + "`) among the 100: " +
           Format("%.2f s instead of %.2f s, %.1fx", withHostile.seconds, fast100Seconds,
                  withHostile.seconds / fast100Seconds) +
           "; " + std::to_string(failed) +
           " files fail (-1) on it instead of being reported clean.\n";
  std::cout << table;
  WriteReadmeSection(options.readme, "results", table);
  std::filesystem::remove_all(prefix);
  return agree ? 0 : 3;
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char** argv) {
  kv::bench::Options options;
  if (!kv::bench::ReadFlags(argc, argv, kv::bench::StoreFlags(options),
                            "kv_store_benchmark [--files N] [--seed S] [--readme PATH]")) {
    return 2;
  }
  return kv::bench::Run(options);
}
