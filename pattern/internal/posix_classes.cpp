// The POSIX class table. Values are signed bytes, so `ascii` (every value up
// to 127) accepts every byte; `blank` is space and tab only; the others are
// the "C" locale's tests of char_types.h.
#include "pattern/internal/posix_classes.h"

#include <array>

#include "pattern/internal/char_types.h"

namespace kv {
namespace {

bool IsAscii(int c) { return c <= 127; }
bool IsBlank(int c) { return c == 0x20 || c == 0x09; }

struct PosixClass {
  std::string_view keyword;
  PosixPredicate predicate;
};

constexpr std::array<PosixClass, 13> kPosixClasses = {{
    {"alnum:", chartype::IsAlnum},
    {"alpha:", chartype::IsAlpha},
    {"ascii:", IsAscii},
    {"cntrl:", chartype::IsCntrl},
    {"digit:", chartype::IsDigit},
    {"graph:", chartype::IsGraph},
    {"lower:", chartype::IsLower},
    {"print:", chartype::IsPrint},
    {"punct:", chartype::IsPunct},
    {"space:", chartype::IsSpace},
    {"upper:", chartype::IsUpper},
    {"xdigit:", chartype::IsXdigit},
    {"blank:", IsBlank},
}};

}  // namespace

PosixPredicate FindPosixPredicate(std::string_view name) {
  for (const PosixClass& posix : kPosixClasses) {
    if (name.starts_with(posix.keyword)) return posix.predicate;
  }
  return nullptr;
}

}  // namespace kv
