// The signature primitives on libsodium. sodium_init is called before every
// use (it is cheap once done, and safe from any thread), so no caller has to
// remember a start-up step. Base64 goes through libsodium's strict decoder
// (no characters ignored), and the decoded length must be exactly the
// expected one, so a truncated or padded line never passes.
#include "update/signature_line.h"

#include <sodium.h>

namespace kv {
namespace {

bool CryptoReady() { return sodium_init() >= 0; }

// The line without its optional CR LF or LF end.
std::string_view WithoutLineEnd(std::string_view line) {
  if (line.ends_with("\r\n")) {
    line.remove_suffix(2);
  } else if (line.ends_with('\n')) {
    line.remove_suffix(1);
  }
  return line;
}

template <std::size_t N>
bool ParseLine(std::string_view line, std::array<std::uint8_t, N>& out) {
  const std::string_view text = WithoutLineEnd(line);
  if (!CryptoReady() || text.empty()) return false;
  std::array<std::uint8_t, N> bytes{};
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length,
                        &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      length != N || end != text.data() + text.size()) {
    return false;
  }
  out = bytes;
  return true;
}

}  // namespace

bool GenerateKeyPair(PublicKey& publicKey, SecretKey& secretKey) {
  return CryptoReady() && crypto_sign_keypair(publicKey.data(), secretKey.data()) == 0;
}

bool SignDatabase(const SecretKey& secretKey, std::string_view database,
                  DatabaseSignature& signature) {
  return CryptoReady() &&
         crypto_sign_detached(signature.data(), nullptr,
                              reinterpret_cast<const unsigned char*>(database.data()),
                              database.size(), secretKey.data()) == 0;
}

bool VerifyDatabase(const PublicKey& publicKey, std::string_view database,
                    const DatabaseSignature& signature) {
  return CryptoReady() &&
         crypto_sign_verify_detached(signature.data(),
                                     reinterpret_cast<const unsigned char*>(database.data()),
                                     database.size(), publicKey.data()) == 0;
}

bool ParsePublicKeyLine(std::string_view line, PublicKey& key) { return ParseLine(line, key); }

bool ParseSecretKeyLine(std::string_view line, SecretKey& key) { return ParseLine(line, key); }

bool ParseSignatureLine(std::string_view line, DatabaseSignature& signature) {
  return ParseLine(line, signature);
}

template <std::size_t N>
std::string KeyLine(const std::array<std::uint8_t, N>& bytes) {
  std::string text(sodium_base64_ENCODED_LEN(N, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes.data(), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  text.resize(text.find('\0'));
  return text + "\n";
}

template std::string KeyLine(const PublicKey& bytes);
template std::string KeyLine(const SecretKey& bytes);  // also a DatabaseSignature: same type

}  // namespace kv
