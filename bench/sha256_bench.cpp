// SHA-256 over one buffer in memory, libsodium against Nettle: the record
// of why the quarantine's file digests use Nettle, whose run-time CPU
// dispatch takes the processor's SHA instructions where it has them.
#include <benchmark/benchmark.h>
#include <nettle/sha2.h>
#include <sodium.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(std::int64_t size) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  std::uint32_t state = 2026;
  for (unsigned char& byte : bytes) {
    state = state * 1664525U + 1013904223U;
    byte = static_cast<unsigned char>(state >> 24);
  }
  return bytes;
}

using Digest = std::array<unsigned char, SHA256_DIGEST_SIZE>;
static_assert(crypto_hash_sha256_BYTES == SHA256_DIGEST_SIZE);

// Times `hash` over a buffer of state.range(0) bytes.
void Measure(benchmark::State& state, void (*hash)(const std::vector<unsigned char>&, Digest&)) {
  const std::vector<unsigned char> bytes = Bytes(state.range(0));
  Digest digest{};
  for (auto _ : state) {
    hash(bytes, digest);
    benchmark::DoNotOptimize(digest.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_Sha256Sodium(benchmark::State& state) {
  if (sodium_init() < 0) {
    state.SkipWithError("libsodium did not start");
    return;
  }
  Measure(state, [](const std::vector<unsigned char>& bytes, Digest& digest) {
    crypto_hash_sha256_state hash;
    crypto_hash_sha256_init(&hash);
    crypto_hash_sha256_update(&hash, bytes.data(), bytes.size());
    crypto_hash_sha256_final(&hash, digest.data());
  });
}
BENCHMARK(BM_Sha256Sodium)->Arg(4 << 10)->Arg(1 << 20);

void BM_Sha256Nettle(benchmark::State& state) {
  Measure(state, [](const std::vector<unsigned char>& bytes, Digest& digest) {
    sha256_ctx hash;
    sha256_init(&hash);
    sha256_update(&hash, bytes.size(), bytes.data());
    sha256_digest(&hash, digest.size(), digest.data());
  });
}
BENCHMARK(BM_Sha256Nettle)->Arg(4 << 10)->Arg(1 << 20);

}  // namespace
