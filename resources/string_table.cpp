// The string table's entries, sorted by identifier for LoadString's binary
// search (a test keeps them sorted and unique).
#include "resources/string_table.h"

#include <algorithm>
#include <iterator>

#include "resources/string_table_entries.h"

namespace kv::strings {

std::u16string_view LoadString(int id) {
  const auto entry = std::lower_bound(
      std::begin(kStringTable), std::end(kStringTable), id,
      [](const StringTableEntry& candidate, int wanted) { return candidate.id < wanted; });
  if (entry == std::end(kStringTable) || entry->id != id) return {};
  return entry->text;
}

}  // namespace kv::strings
