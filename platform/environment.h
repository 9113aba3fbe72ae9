// The host environment variables the program reads (KESTRELVOX_PREFIX,
// HOME, ...), behind the platform layer like every other host service.
//
// Entry points: GetEnvironment, SetEnvironment, UnsetEnvironment.
#pragma once

#include <optional>
#include <string>

namespace kv {

// The variable's value, or nothing when it is unset.
std::optional<std::string> GetEnvironment(const std::string& name);

// false when the host refuses (an empty name or one holding '=').
bool SetEnvironment(const std::string& name, const std::string& value);
bool UnsetEnvironment(const std::string& name);

}  // namespace kv
