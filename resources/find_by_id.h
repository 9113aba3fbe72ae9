// FindById: the lookup every resource table (menus, dialog layouts, icons)
// shares: a short constant table searched for the entry with an `id`.
#pragma once

#include <span>

namespace kv {

// The entry of `table` whose `id` is `id`, or null when there is none.
template <typename Resource>
const Resource* FindById(std::span<const Resource> table, int id) {
  for (const Resource& entry : table) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

}  // namespace kv
