// RemoveStoreFile: how a scan takes a found file out of the store. One
// place for it, so that every mode removes files the same way.
#pragma once

#include <string_view>

#include "platform/store.h"

namespace kv {

// Clears the file's read-only attribute and deletes it; true when it is
// gone. Only ever a file inside the store.
[[nodiscard]] bool RemoveStoreFile(const platform::Store& store, std::u16string_view path);

}  // namespace kv
