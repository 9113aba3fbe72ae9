// The quarantine's size limit, with its reason (kept beside platform/limits.h
// until it moves there).
#pragma once

#include <cstdint>

namespace kv::limits {

// The most bytes the quarantine's item files may hold together. The
// quarantine keeps what scans remove so that a false positive costs nothing,
// but it must not fill the disk the user's own files need: 1 GiB holds four
// of the largest files a scan checks (256 MiB) and thousands of typical
// handset programs. A file that would pass it is deleted, as scans did
// before, and recorded as deleted.
inline constexpr std::uint64_t kMaxQuarantineBytes = std::uint64_t{1} << 30;

// The largest index read whole into memory: about 200,000 records, far more
// than a handset's scans produce, while a stray huge file cannot make a
// listing allocate without bound.
inline constexpr std::uint64_t kMaxQuarantineIndexBytes = std::uint64_t{64} * 1024 * 1024;

}  // namespace kv::limits
