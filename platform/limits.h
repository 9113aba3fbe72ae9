// Every fixed limit of the program in one place, each with its reason.
// Going over a limit has its own outcome, handled by the caller; never an
// overflow.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Largest database file the loader reads into memory. An update brings at
// most 10240 bytes and the handset held the whole file in RAM, so 4 MiB is
// far beyond any real database, while it bounds what a hostile file can make
// the loader allocate (every 2-byte line can become a record).
inline constexpr std::uint64_t kMaxDatabaseFileBytes = std::uint64_t{4} * 1024 * 1024;

// The line decoder's Base64 buffer: 320 bytes, the last kept for the zero
// byte put behind the decoded bytes. Ample for a 159-character line (117).
inline constexpr std::size_t kBase64BufferBytes = 320;

// deleteFilesOffset is a signed 32-bit byte offset and the line walk may count
// one byte past the content, so the walk reads at most this many bytes.
inline constexpr std::size_t kMaxDatabaseBytes = 0x7ffffffe;

// The pattern engine counts positions in int and tries length + 1 of them,
// so a file is searchable only up to INT_MAX - 1 bytes.
inline constexpr unsigned long long kMaxMatchedFileBytes = 0x7ffffffe;

}  // namespace kv::limits
