// Rc4Crypt: the RC4 stream cipher as published. Enciphering and deciphering
// are the same operation. The 256-byte state is made afresh on every call,
// so each call starts at the beginning of the key stream: every database
// line is deciphered independently of all others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

// XORs `data` with the key stream of `key` into `out` and sets `outLength`
// to the data length: true on success. Returns false and writes nothing
// (`out` and `outLength` untouched) when data, key or out is null, when the
// key is empty (it cannot be repeated over the state) or when `out` is
// shorter than `data`.
[[nodiscard]] bool Rc4Crypt(std::span<const std::uint8_t> data, std::span<const std::uint8_t> key,
                            std::span<std::uint8_t> out, std::size_t& outLength);

}  // namespace kv
