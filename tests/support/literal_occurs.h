// Occurs: one literal looked for on its own, the plain answer that the
// engine's literal searches and required factors are held to.
#pragma once

#include <algorithm>
#include <string_view>

namespace kv::testing {

// Whether `literal` occurs in `data`; `caseless` folds ASCII letters only,
// as the engine does (bytes 0x80-0xFF have no case).
inline bool Occurs(std::string_view data, std::string_view literal, bool caseless) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  const auto same = [&](char a, char b) { return caseless ? lower(a) == lower(b) : a == b; };
  return std::search(data.begin(), data.end(), literal.begin(), literal.end(), same) != data.end();
}

}  // namespace kv::testing
