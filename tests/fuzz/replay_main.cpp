// Replay driver: the main of each fuzz target in every ordinary build, so
// that ctest runs the targets, normally and under the sanitizers, without
// libFuzzer.
//
//   replay_<target> MUTATIONS MAX_LEN CORPUS_DIR
//
// Runs LLVMFuzzerTestOneInput over every file of CORPUS_DIR in name order,
// then over MUTATIONS mutations of them of at most MAX_LEN bytes. The
// mutations come from a fixed seed through the engine's raw output only, so
// every machine runs the same inputs and a failure names one that can be
// replayed. Each input sits in a buffer of exactly its size, as libFuzzer
// hands it over, so a read past its end is caught by the sanitizers.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

// The sanitizers' runtime defines this; in a build without them it is null.
// The name is theirs, hence the reserved identifier.
// NOLINTNEXTLINE(bugprone-reserved-identifier)
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace kv::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bytes that mean something to one of the targets: line ends, Base64
// padding, pattern metacharacters, and the bytes around the sign change.
constexpr char kTelling[] = "\0\r\n=+/ ([{}])|*?\\^$.-:#<>!0\x7f\x80\xff";

// One to four edits of a corpus input, drawn from the engine's raw output,
// which the standard fixes, unlike its distributions.
Bytes Mutate(const std::vector<Bytes>& corpus, std::mt19937& random) {
  const auto below = [&](std::size_t bound) { return static_cast<std::size_t>(random() % bound); };
  Bytes input = corpus[below(corpus.size())];
  for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
    const std::size_t at = below(input.size() + 1);
    const auto from = input.begin() + static_cast<std::ptrdiff_t>(at);
    const auto byte =
        static_cast<std::uint8_t>(below(2) ? kTelling[below(sizeof kTelling - 1)] : random());
    const std::size_t kind = input.empty() ? 0 : below(4);
    if (kind == 0) {
      input.insert(from, byte);
    } else if (kind == 1) {
      input[at % input.size()] = byte;
    } else if (kind == 2) {
      input.erase(from,
                  from + static_cast<std::ptrdiff_t>(std::min(1 + below(16), input.size() - at)));
    } else {  // splice: keep the head, take another seed's tail
      const Bytes& other = corpus[below(corpus.size())];
      input.resize(at);
      input.insert(input.end(), other.begin() + below(other.size() + 1), other.end());
    }
  }
  return input;
}

void Run(Bytes input, const std::string& name, std::size_t maxLength) {
  input.resize(std::min(input.size(), maxLength));
  currentInput = name + " (" + std::to_string(input.size()) + " bytes)";
  auto exact = std::make_unique<std::uint8_t[]>(input.size());
  std::copy(input.begin(), input.end(), exact.get());
  LLVMFuzzerTestOneInput(exact.get(), input.size());
}

}  // namespace
}  // namespace kv::fuzz

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: " << argv[0] << " MUTATIONS MAX_LEN CORPUS_DIR\n";
    return 2;
  }
  if (__sanitizer_set_death_callback) {
    __sanitizer_set_death_callback(
        [] { std::cerr << "failed on " << kv::fuzz::currentInput << '\n'; });
  }
  const std::size_t maxLength = std::stoul(argv[2]);
  std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(argv[3]), {});
  std::sort(files.begin(), files.end());
  std::vector<kv::fuzz::Bytes> corpus;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    kv::fuzz::Run(corpus.back(), "corpus file " + file.filename().string(), maxLength);
  }
  if (corpus.empty()) {
    std::cerr << argv[0] << ": no corpus files in " << argv[3] << '\n';
    return 1;
  }
  const unsigned long mutations = std::stoul(argv[1]);
  std::mt19937 random(1);
  for (unsigned long i = 1; i <= mutations; ++i) {
    kv::fuzz::Run(kv::fuzz::Mutate(corpus, random), "mutation " + std::to_string(i), maxLength);
  }
  std::cout << argv[0] << ": " << corpus.size() << " corpus files and " << mutations
            << " mutations ran clean\n";
  return 0;
}
