// Ed25519 signatures of update databases (libsodium), and the one-line
// text form in which keys and signatures travel and are stored.
//
// Entry points: GenerateKeyPair, SignDatabase, VerifyDatabase,
// ParsePublicKeyLine, ParseSecretKeyLine, ParseSignatureLine, KeyLine.
//
// Line format (public key, secret key, signature alike): the Base64 text
// (standard alphabet "A-Za-z0-9+/", "=" padding required) of the raw bytes,
// optionally ended by CR LF or LF, and nothing else: no blank, no second
// line. The raw bytes are 32 for a public key, 64 for a secret key
// (libsodium's seed followed by the public key) and 64 for a signature.
// A signature is the detached Ed25519 signature over the exact bytes of the
// database file as served, its version line included.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

using PublicKey = std::array<std::uint8_t, 32>;
using SecretKey = std::array<std::uint8_t, 64>;
using DatabaseSignature = std::array<std::uint8_t, 64>;

// A fresh key pair from the system's random source; false only when the
// crypto library cannot start.
[[nodiscard]] bool GenerateKeyPair(PublicKey& publicKey, SecretKey& secretKey);

// The signature of `database` under `secretKey`; false only when the crypto
// library cannot start.
[[nodiscard]] bool SignDatabase(const SecretKey& secretKey, std::string_view database,
                                DatabaseSignature& signature);

// True when `signature` is `publicKey`'s valid signature over `database`.
[[nodiscard]] bool VerifyDatabase(const PublicKey& publicKey, std::string_view database,
                                  const DatabaseSignature& signature);

// Each reads one line in the format above; false, leaving the output as it
// was, for anything else (wrong length, other characters, a second line).
[[nodiscard]] bool ParsePublicKeyLine(std::string_view line, PublicKey& key);
[[nodiscard]] bool ParseSecretKeyLine(std::string_view line, SecretKey& key);
[[nodiscard]] bool ParseSignatureLine(std::string_view line, DatabaseSignature& signature);

// The line of `bytes` (a key or a signature), ended by LF.
template <std::size_t N>
std::string KeyLine(const std::array<std::uint8_t, N>& bytes);

}  // namespace kv
