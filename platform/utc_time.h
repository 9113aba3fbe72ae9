// Times and ids in UTC for the records the program keeps beside the store
// (the quarantine's index, the scan reports).
//
// Entry points: UtcTimeText, ParseUtcTime, NewItemId, IsItemId.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// "2026-12-07T04:16:15Z" and back; ParseUtcTime nothing for any other shape.
std::string UtcTimeText(std::chrono::system_clock::time_point time);
std::optional<std::chrono::system_clock::time_point> ParseUtcTime(std::string_view text);

// An id that sorts by time: "20261207T041615Z-1a2b3c4d", the UTC time and
// 8 random lower-case hex digits.
std::string NewItemId(std::chrono::system_clock::time_point now);
// true for a name NewItemId can give.
bool IsItemId(std::string_view name);

}  // namespace kv
