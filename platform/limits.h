// Every fixed limit of the program in one place, each with its reason.
// Going over a limit has its own outcome, handled by the caller; never an
// overflow.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kv::limits {

// The handset's MAX_PATH: 260 UTF-16 units including the terminator.
inline constexpr std::size_t kMaxDevicePathUnits = 259;

// The memory scan's executable path buffer: at most 255 units.
inline constexpr std::size_t kMaxExecutablePathUnits = 255;

// How long terminating a process waits for it to be gone, so that its
// executable is out of use when the memory scan checks and deletes it.
// SIGKILL takes effect within microseconds unless the process is stuck in
// the kernel; then the scan goes on without waiting longer.
inline constexpr int kProcessExitWaitMilliseconds = 2000;

// Pattern engine bounds. They stop only hostile patterns or data, which then
// fail (the file's result is -1, never "clean") instead of crashing, never
// ending or eating the machine's memory. Stack costs were measured under
// AddressSanitizer at -O0, the most a frame costs in any of our builds.
//
// Groups nested in one pattern: the compiler's recursive descent takes about
// 1.7 KiB of stack a level (1.7 MiB here); a 255-byte signature nests 255 at
// most.
inline constexpr int kMaxPatternNesting = 1000;
// Node calls nested while matching (tree depth plus recursion re-entries):
// at most 300 bytes of stack each (1.8 MiB here). A 255-byte pattern
// without recursion cannot get near it.
inline constexpr int kMaxMatchDepth = 6000;
// The least stack of any thread that runs the engine: the two bounds above
// together take about 3.5 MiB, so 8 MiB leaves room for the caller.
inline constexpr std::size_t kEngineStackBytes = std::size_t{8} * 1024 * 1024;
// Node calls in one search: a base plus an allowance for each start
// position, since every position is a full attempt. A literal costs 1 to 3
// calls a position, a class with a counted repeat a few dozen, `.{0,999}X`
// over binary data (a line break every 256 bytes or so) about 1000 and over
// text without line breaks about 4000. At this allowance no search costs
// more than about 6 s per MiB on a 2 GHz core, while every signature that
// does not backtrack over whole lines stays far inside it.
inline constexpr unsigned long long kPatternStepBase = 1ULL << 24;
inline constexpr unsigned long long kPatternStepsPerByte = 1024;
// How far into a match the fast search looks for a literal to jump to
// (`[a-z]{3}token`): far enough for the fixed-width heads signatures have.
inline constexpr long long kMaxPatternAnchorOffset = 64;
// A memoized search (a signature with no back-reference, recursion or
// condition on a group, searched by the fast scanner) learns where attempts
// fail and never explores a failed state twice; the shapes that used to
// explode (`(a|b)*c`, `(a*)*b`, `.{0,999}QQ`) then take a few dozen steps a
// byte. Its budget is a sanity bound four times the reference's: far above
// what such a search takes, it still ends a shape the memo does not tame
// (lazy or counted repeats of repeats) within about 25 s per MiB.
inline constexpr unsigned long long kMemoizedStepsPerByte = 4 * kPatternStepsPerByte;
// What a memoized search may keep besides its stacks: one bit per position
// for each repeat and alternation that needs them, 32 MiB in all (two rows
// for a 128 MiB file, sixteen for 16 MiB). A row that does not fit is not
// kept, and the search does that node's work every time.
inline constexpr std::size_t kMaxMemoBytes = std::size_t{32} * 1024 * 1024;
// States of one signature's automaton (the existence search): one per
// byte of a literal or class and per branch or optional copy, so
// `.{0,999}QQ` takes about 2,000. A larger tree (counted repeats of
// counted repeats) stays with the backtracker.
inline constexpr std::size_t kMaxAutomatonStates = 4096;
// What one thread's cache of one automaton's states may hold: a few
// thousand states of a small signature, a few hundred of the largest.
// When full it is emptied and refilled as the bytes need it, so memory
// stays bounded and the pass stays linear.
inline constexpr std::size_t kMaxAutomatonCacheBytes = std::size_t{1} * 1024 * 1024;
// Bytes an automaton's pass reads between two looks at the cancel token.
inline constexpr int kAutomatonCancelPollBytes = 1 << 16;
// Steps between two looks at a search's cancel token: a cancel ends a search
// within microseconds, and the look costs nothing measurable.
inline constexpr unsigned long long kCancelCheckInterval = 4096;
// Entries (4-byte ints) of the backtrack and capture stacks together: 64 MiB.
// A repeated capturing group costs 5 entries a repetition, so `(a|b)*` fails
// after about 3 million repetitions in a row, where a signature's repeats
// span bytes, not megabytes.
inline constexpr std::size_t kMaxMatchStackEntries = std::size_t{16} * 1024 * 1024;
// The engine counts positions in int and tries length + 1 of them, so it
// searches at most INT_MAX - 1 bytes.
inline constexpr std::size_t kMaxSearchBytes = 0x7ffffffe;

// Largest file the scanner reads and searches: it is read whole into memory
// (a mapping would die with the process when another process truncates the
// file), so one check costs the file's size plus at most the 64 MiB of
// stacks above. The handset could not map a file near this size at all;
// a larger file is one that cannot be checked (-1), never "clean".
inline constexpr std::uint64_t kMaxScannedFileBytes = std::uint64_t{256} * 1024 * 1024;
// Files a pooled scan has handed to its threads and not yet reported, per
// thread and in all: enough that a worker still finds files waiting while
// the walking thread checks a large one itself, few enough that their open
// descriptors stay well below the usual limit of 1024. After a stop, at
// most these come back (checked, or cancelled and not checked).
inline constexpr std::size_t kFilesInFlightPerThread = 32;
inline constexpr std::size_t kMaxFilesInFlight = 256;
// Folder levels a host walk holds open (one descriptor each, two more for
// the next folder's names read ahead; a file in flight may hold one more):
// deeper folders are walked by their paths.
inline constexpr int kMaxHeldHostFolders = 64;

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

// The largest registry hive read or written. Ours hold a handful of values;
// the bound keeps a stray huge file from being loaded into memory whole.
inline constexpr std::uintmax_t kMaxHiveBytes = std::uintmax_t{16} * 1024 * 1024;

// How long an append to the activity log waits for another process's
// append or read to finish, and a read for an append. Each holds the log
// for one short write or one read of the file, so only a stuck holder (or
// the read of an enormous log) keeps a waiter this long; the waiter then
// gives up, as the handset gave up at once. A registry write waits as long
// for another writer's lock on the hive, held for one short rewrite too.
inline constexpr std::chrono::milliseconds kLogLockWait{2000};
// The scan reports' file is rotated past 4 MiB (some ten thousand scans of
// a handset's store, or a few full scans that list many files they could
// not check), keeping 3 older generations: enough history to read, never a
// file that fills the disk.
inline constexpr std::uint64_t kMaxReportBytes = std::uint64_t{4} * 1024 * 1024;
inline constexpr int kReportGenerations = 3;

// The log view's line buffer: 512 UTF-16 units plus the terminator. A
// longer log line is shown cut to this length.
inline constexpr std::size_t kLogViewLineUnits = 512;

// The database update's receive buffer: the handset read each answer of the
// update server into 10240 bytes. A longer answer is refused, not cut: a cut
// database would be loaded as if it were whole.
inline constexpr std::size_t kMaxUpdateBodyBytes = 10240;

// How long the update waits for the server. Connecting: the handset gave a
// data connection 30 seconds to come up. A whole request: a minute, which
// 10240 bytes need only over a link below 200 bytes a second, so a server
// that accepts and then never answers, or trickles, cannot hang the program.
inline constexpr int kUpdateConnectTimeoutMilliseconds = 30'000;
inline constexpr int kUpdateRequestTimeoutMilliseconds = 60'000;

// The handset's proxy record holds a proxy server name of at most 255
// characters plus its terminator.
inline constexpr std::size_t kMaxProxyNameChars = 255;

}  // namespace kv::limits
