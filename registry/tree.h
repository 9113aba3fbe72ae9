// The registry as a tree in memory: what the hive parser builds, the
// writer prints and every RegistryHive operation works on. Internal to the
// registry.
//
// Entry points: RegistryKey, RegistryTree, SplitSubkey, ParseHive, FormatHive.
// Children are kept in the order they were created (or read), so a rewrite
// changes no more of the file than the operation asked for.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/hive.h"

namespace kv {

struct RegistryKey {
  std::u16string name;
  std::vector<RegistryValue> values;
  std::vector<RegistryKey> subkeys;

  // Lookups ignore letter case; null when absent.
  RegistryValue* FindValue(std::u16string_view valueName);
  const RegistryValue* FindValue(std::u16string_view valueName) const;
  RegistryKey* FindSubkey(std::u16string_view keyName);
  const RegistryKey* FindSubkey(std::u16string_view keyName) const;
};

struct RegistryTree {
  std::array<RegistryKey, 3> roots;  // indexed by RegistryRoot

  RegistryTree();

  // The key `subkey` ("" for the root) of `root`; null when absent.
  RegistryKey* FindKey(RegistryRoot root, std::u16string_view subkey);
  const RegistryKey* FindKey(RegistryRoot root, std::u16string_view subkey) const;
  // The key, created with its parents (in the spelling given) when missing.
  RegistryKey& CreateKey(RegistryRoot root, std::u16string_view subkey);
};

// The first line of every hive.
inline constexpr std::string_view kHiveVersionLine = "Windows Registry Editor Version 5.00";

// The "\"-separated names of a subkey; none for "".
std::vector<std::u16string_view> SplitSubkey(std::u16string_view subkey);

// Parses a whole hive file; nothing when it does not follow the syntax of
// hive.h. Empty content is an empty registry.
std::optional<RegistryTree> ParseHive(std::string_view content);

// The hive file for `tree`, in the syntax ParseHive reads.
std::string FormatHive(const RegistryTree& tree);

}  // namespace kv
