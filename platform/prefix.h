// The device prefix: one host directory stands for one handset.
//
// Entry points: PrefixDirectory, StoreDirectory.
// The prefix is $KESTRELVOX_PREFIX, or ~/.kestrelvox when that is unset or
// empty; the file store (the handset's "\") is its "store" folder. Both are
// read from the environment on every call, so a test or tool can point the
// program at another handset, and created on first use so that a fresh
// prefix needs no set-up. When creation fails the path is still returned
// and every file operation on it fails in its own way.
#pragma once

#include <filesystem>

namespace kv::platform {

std::filesystem::path PrefixDirectory();
std::filesystem::path StoreDirectory();

}  // namespace kv::platform
