// What the store benchmarks share: the encoded database of a signature set,
// its load time, the machine's name, number formatting and the README
// table they write between their markers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "database/signature_database.h"

namespace kv::bench {

// Catastrophic on text for a backtracker: the nested repeat splits every
// line of words in exponentially many ways before the missing digit fails
// it, and its literal ".\n" ends half the text lines, so the prefilter lets
// it run.
inline constexpr const char* kHostileSignature = "([a-z]+ ?)+[0-9]\\.\\n";

// The encoded database file of `patterns` (named Syn0, Syn1, ...), as
// tarnsig encode writes it.
std::string EncodedDatabase(const std::vector<std::string>& patterns);

std::shared_ptr<const SignatureDatabase> LoadDatabase(const std::string& encoded);

// The fastest of five loads (decode, compile, analyse, prefilter), in
// milliseconds of processor time.
double LoadMilliseconds(const std::string& encoded);

// "<processor model>, <n> cores".
std::string MachineLine();

// printf-style formatting of up to three numbers.
std::string Format(const char* format, double a, double b = 0, double c = 0);

// Replaces what stands between "<!-- `marker` -->" and "<!-- /`marker` -->"
// in `readme` with `table`; says so on stderr when the markers are missing.
void WriteReadmeSection(const std::filesystem::path& readme, std::string_view marker,
                        const std::string& table);

// The options every store benchmark takes: --files, --seed, --readme.
struct StoreOptions {
  int files = 300;
  std::uint32_t seed = 2026;
  std::filesystem::path readme = std::filesystem::path(KV_SOURCE_DIR) / "bench" / "README.md";
};

// Reads the "--flag value" pairs of a command line into the setter named
// by each flag; false, after printing "usage: `usage`", on an unknown flag
// or a flag without its value.
using FlagSetters = std::map<std::string, std::function<void(const std::string& value)>>;
bool ReadFlags(int argc, char** argv, const FlagSetters& setters, std::string_view usage);

// The setters of the StoreOptions flags, writing into `options`.
FlagSetters StoreFlags(StoreOptions& options);

// The best of `runs` runs of `run` (by its `seconds`): the machine is
// shared, the lower time is the truer.
template <typename Run>
auto BestOf(int runs, Run run) {
  auto best = run();
  for (int i = 1; i < runs; ++i) {
    auto next = run();
    if (next.seconds < best.seconds) best = next;
  }
  return best;
}

}  // namespace kv::bench
