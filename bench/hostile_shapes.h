// The nested quantifiers and long gaps that a backtracker takes exponential
// or quadratic time over, and the 16 MiB subject each is measured on: the
// same byte throughout, so the pattern never matches and every start fails.
#pragma once

#include <cstddef>

namespace kv::bench {

struct HostileShape {
  const char* pattern;
  char filler;
};

inline constexpr HostileShape kHostileShapes[] = {
    {"(a|b)*c", 'a'}, {"(a*)*b", 'a'}, {".{0,999}QQ", 'w'}};

inline constexpr std::size_t kHostileSubjectBytes = std::size_t{16} << 20;

}  // namespace kv::bench
