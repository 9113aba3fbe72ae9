// What every fuzz target shares: the libFuzzer entry point it defines and the
// check that turns a broken invariant into a crash.
//
// A target is built twice from the same source: with libFuzzer's own main
// (clang, KV_FUZZ) and with replay_main.cpp, which runs it over the seed
// corpus and fixed mutations in every ordinary build and names the input it
// runs in currentInput. A broken invariant must abort in both, so that
// libFuzzer keeps the input and ctest fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kv::fuzz {

inline std::string currentInput = "this input";

inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::cerr << "fuzz target: invariant broken on " << currentInput << ": " << invariant
            << std::endl;
  std::abort();
}

}  // namespace kv::fuzz
