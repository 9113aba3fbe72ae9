// UTC times and ids, through the C library's calendar functions.
#include "platform/utc_time.h"

#include <sys/random.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <random>

namespace kv {
namespace {

// Straight from the kernel: setting up a std::random_device for every id
// showed in a scan that moves many files, and a generator kept between ids
// would give a forked child its parent's ids.
unsigned RandomWord() {
  unsigned word = 0;
  if (::getrandom(&word, sizeof word, 0) == static_cast<ssize_t>(sizeof word)) return word;
  return std::random_device{}();
}

}  // namespace

bool IsItemId(std::string_view name) {
  // 20261207T041615Z-1a2b3c4d
  if (name.size() != 25 || name[8] != 'T' || name[15] != 'Z' || name[16] != '-') return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i == 8 || i == 15 || i == 16) continue;
    const char c = name[i];
    const bool digit = c >= '0' && c <= '9';
    if (i < 16 ? !digit : !(digit || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string NewItemId(std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%04d%02d%02dT%02d%02d%02dZ-%08x", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, RandomWord());
  return text.data();
}

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text.data();
}

std::optional<std::chrono::system_clock::time_point> ParseUtcTime(std::string_view text) {
  std::tm utc{};
  char end = 0;
  const std::string copy(text);
  if (text.size() != 20 ||
      std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.tm_year, &utc.tm_mon,
                  &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &end) != 7 ||
      end != 'Z') {
    return std::nullopt;
  }
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  return std::chrono::system_clock::from_time_t(::timegm(&utc));
}

}  // namespace kv
