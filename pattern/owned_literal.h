// OwnedLiteral: a literal the literal searches look for, owned by one
// signature (or whatever the caller numbers).
#pragma once

#include <cstdint>
#include <string>

namespace kv {

struct OwnedLiteral {
  std::string bytes;  // not empty
  bool caseless = false;
  std::uint32_t owner = 0;
};

}  // namespace kv
