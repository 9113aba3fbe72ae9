// Replay driver: the main of a fuzz target in every ordinary build, so that
// ctest runs each target, normally and under the sanitizers, without
// libFuzzer.
//
//   replay_<target> [--mutations N] [--seed S] [--max-len N] [--dump FILE] PATH...
//
// Runs LLVMFuzzerTestOneInput over every file named, or every regular file
// of a directory named (in name order), then over N pseudo-random mutations
// of them. The mutations come from a fixed seed with the engine's raw output
// only, so a run is the same on every machine and a failure can be replayed:
// --dump writes each input to FILE before it runs, leaving the one that
// crashed. Every input sits in a buffer of exactly its size, as libFuzzer
// hands it over, so a read past its end is caught by the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace kv::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Options {
  unsigned long mutations = 0;
  unsigned long seed = 1;
  std::size_t maxLength = 4096;
  std::string dumpPath;
  std::vector<std::filesystem::path> paths;
};

// Bytes that mean something to one of the targets: line ends, Base64
// padding, pattern metacharacters, and the bytes around the sign change.
constexpr char kTellingBytes[] = "\0\r\n=+/ ([{}])|*?\\^$.-:#<>!0\x7f\x80\xff";
constexpr std::string_view kTelling(kTellingBytes, sizeof kTellingBytes - 1);

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Bytes> ReadCorpus(const std::vector<std::filesystem::path>& paths) {
  std::vector<Bytes> corpus;
  for (const std::filesystem::path& path : paths) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
    } else {
      files.push_back(path);
    }
    for (const auto& file : files) corpus.push_back(ReadFile(file));
  }
  return corpus;
}

class Mutator {
 public:
  Mutator(unsigned long seed, const std::vector<Bytes>& corpus, std::size_t maxLength)
      : random_(seed), corpus_(corpus), maxLength_(maxLength) {}

  Bytes Next() {
    Bytes input = corpus_[Below(corpus_.size())];
    const std::size_t edits = 1 + Below(4);
    for (std::size_t i = 0; i < edits; ++i) Edit(input);
    if (input.size() > maxLength_) input.resize(maxLength_);
    return input;
  }

 private:
  // A number below `bound` (> 0) from the engine's raw output, which the
  // standard fixes, unlike its distributions.
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(random_() % bound); }
  std::uint8_t TellingByte() { return static_cast<std::uint8_t>(kTelling[Below(kTelling.size())]); }

  void Edit(Bytes& input) {
    const std::size_t at = Below(input.size() + 1);
    const std::size_t span = std::min<std::size_t>(1 + Below(16), input.size() - at);
    switch (Below(input.empty() ? 2 : 7)) {
      case 0:
        input.insert(input.begin() + at, TellingByte());
        break;
      case 1:
        input.insert(input.begin() + at, static_cast<std::uint8_t>(random_()));
        break;
      case 2:
        input[Below(input.size())] ^= static_cast<std::uint8_t>(1u << Below(8));
        break;
      case 3:
        input[Below(input.size())] = TellingByte();
        break;
      case 4:
        input.erase(input.begin() + at, input.begin() + at + span);
        break;
      case 5: {  // repeat a piece of the input somewhere else
        const Bytes piece(input.begin() + at, input.begin() + at + span);
        input.insert(input.begin() + Below(input.size() + 1), piece.begin(), piece.end());
        break;
      }
      default: {  // splice: keep the head, take another seed's tail
        const Bytes& other = corpus_[Below(corpus_.size())];
        input.resize(at);
        input.insert(input.end(), other.begin() + Below(other.size() + 1), other.end());
        break;
      }
    }
  }

  std::mt19937 random_;
  const std::vector<Bytes>& corpus_;
  std::size_t maxLength_;
};

void Run(const Bytes& input, const std::string& dumpPath) {
  if (!dumpPath.empty()) {
    std::ofstream(dumpPath, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(input.data()),
               static_cast<std::streamsize>(input.size()));
  }
  auto exact = std::make_unique<std::uint8_t[]>(input.size());
  std::copy(input.begin(), input.end(), exact.get());
  LLVMFuzzerTestOneInput(exact.get(), input.size());
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--mutations" && hasValue) {
      options.mutations = std::stoul(argv[++i]);
    } else if (arg == "--seed" && hasValue) {
      options.seed = std::stoul(argv[++i]);
    } else if (arg == "--max-len" && hasValue) {
      options.maxLength = std::stoul(argv[++i]);
    } else if (arg == "--dump" && hasValue) {
      options.dumpPath = argv[++i];
    } else if (arg.starts_with("--")) {
      return false;
    } else {
      options.paths.emplace_back(arg);
    }
  }
  return !options.paths.empty();
}

}  // namespace
}  // namespace kv::fuzz

int main(int argc, char** argv) {
  kv::fuzz::Options options;
  if (!kv::fuzz::ParseOptions(argc, argv, options)) {
    std::cerr << "usage: " << argv[0]
              << " [--mutations N] [--seed S] [--max-len N] [--dump FILE] PATH...\n";
    return 2;
  }
  const std::vector<kv::fuzz::Bytes> corpus = kv::fuzz::ReadCorpus(options.paths);
  if (corpus.empty()) {
    std::cerr << argv[0] << ": no input files found\n";
    return 1;
  }
  for (const kv::fuzz::Bytes& input : corpus) kv::fuzz::Run(input, options.dumpPath);
  kv::fuzz::Mutator mutator(options.seed, corpus, options.maxLength);
  for (unsigned long i = 0; i < options.mutations; ++i) {
    kv::fuzz::Run(mutator.Next(), options.dumpPath);
  }
  std::cout << argv[0] << ": " << corpus.size() << " corpus inputs and " << options.mutations
            << " mutations (seed " << options.seed << ") ran clean\n";
  return 0;
}
