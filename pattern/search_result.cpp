// The phrases for search failures; see search_result.h.
#include "pattern/search_result.h"

namespace kv {

const char* DescribeSearchStatus(SearchStatus status) {
  switch (status) {
    case SearchStatus::kNoMatch:
      return "no match";
    case SearchStatus::kMatch:
      return "match";
    case SearchStatus::kStepBudget:
      return "pattern search exceeded its step budget";
    case SearchStatus::kMemoryCap:
      return "pattern search exceeded its memory cap";
    case SearchStatus::kDepthLimit:
      return "pattern search exceeded its nesting depth";
    case SearchStatus::kNestingLimit:
      return "pattern nests groups too deeply";
    case SearchStatus::kDataTooLarge:
      return "data too large to search";
    case SearchStatus::kOutOfMemory:
      return "out of memory";
    case SearchStatus::kCancelled:
      return "pattern search cancelled";
  }
  return "unknown search status";
}

}  // namespace kv
