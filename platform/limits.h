// Every fixed limit of the program in one place, each with its reason.
// Going over a limit has its own outcome, handled by the caller; never an
// overflow.
#pragma once

#include <cstddef>

namespace kv::limits {

// The handset's MAX_PATH: 260 UTF-16 units including the terminator.
inline constexpr std::size_t kMaxDevicePathUnits = 259;

// Pattern engine bounds. They stop only hostile patterns, which then fail
// with PatternEngineFailure (the file's result is -1) instead of crashing or
// never ending. Stack costs were measured under AddressSanitizer at -O0.
// Groups nested in one pattern: the compiler's recursive descent takes about
// 1.7 KiB of stack a level (1.7 MiB here); a 255-byte signature nests 255 at
// most.
inline constexpr int kMaxPatternNesting = 1000;
// Node calls nested while matching (tree depth plus recursion re-entries):
// at most 300 bytes of stack each (1.8 MiB here, of the default 8 MiB). A
// 255-byte pattern without recursion cannot get near it.
inline constexpr int kMaxMatchDepth = 6000;
// Node calls in one search: a base plus an allowance for each start position,
// since every position is a full attempt. A literal takes 1 call a position,
// `.{0,999}X` over text without line breaks about 4000.
inline constexpr unsigned long long kPatternStepBase = 1ULL << 20;
inline constexpr unsigned long long kPatternStepsPerByte = 8192;

// Signature database: a 160-byte line buffer with its terminator, a 256-byte
// plain-line buffer, and the 20-character name field of character signatures.
inline constexpr std::size_t kMaxEncodedLine = 159;
inline constexpr std::size_t kMaxPlainLine = 255;
inline constexpr std::size_t kNameFieldLength = 20;

}  // namespace kv::limits
