// A seeded synthetic handset store and signature sets, for the benchmark
// and for the tests that scan a store both the fast and the reference way.
//
// Entry points: MakeSignatures (a signature set of the kinds a real
// database holds, each with a text it matches and a near miss), MakeStore
// (files of a few KB to a few MB, text and binary, .exe .dat .cab, some
// holding a planted match or near miss), WriteStore. The same seed always
// gives the same bytes. Patterns keep to what the pattern dialect shares
// with common regex engines (no `$`, `\s`, variable lookbehind, or ranges
// across 0x7F/0x80), so a baseline engine can run the same set.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kv::synthetic {

struct SyntheticSignature {
  std::string name;
  std::string pattern;
  std::string sample;    // bytes the pattern matches
  std::string nearMiss;  // bytes that look alike and do not match
};

std::vector<SyntheticSignature> MakeSignatures(int count, std::uint32_t seed);

struct StoreOptions {
  int files = 300;
  std::size_t smallestFile = std::size_t{2} * 1024;
  std::size_t largestFile = std::size_t{2} * 1024 * 1024;
  int plantedPercent = 5;    // files holding one signature's sample
  int nearMissPercent = 10;  // files holding near misses
};

struct StoreFile {
  std::filesystem::path relativePath;  // "Windows/f0012.exe"
  std::string content;
};

// Files whose planted samples and near misses come from `signatures`.
std::vector<StoreFile> MakeStore(const StoreOptions& options,
                                 const std::vector<SyntheticSignature>& signatures,
                                 std::uint32_t seed);

// Writes the files under `root` (creating folders); throws on failure.
void WriteStore(const std::filesystem::path& root, const std::vector<StoreFile>& files);

}  // namespace kv::synthetic
