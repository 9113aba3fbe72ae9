// The key and hive text that the registry, settings and tarnreg tests write and expect.
#pragma once

#include <string>
#include <string_view>

#include "registry/hive.h"

namespace kv {

inline constexpr RegistryRoot kLm = RegistryRoot::kLocalMachine;
inline constexpr std::u16string_view kKey = u"software\\quellbrin\\Kestrelvox";
inline const std::string kVersionLine = "Windows Registry Editor Version 5.00\n";
inline const std::string kKeyLine = "[HKEY_LOCAL_MACHINE\\software\\quellbrin\\Kestrelvox]\n";

}  // namespace kv
