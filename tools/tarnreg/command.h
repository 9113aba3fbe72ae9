// One parsed tarnreg command line: the key, what in it the verb acts on,
// and the data for add. Built by ParseCommand (command_line.h), which has
// already refused every argument that is malformed or not the verb's own,
// so the verbs only meet the hive.
#pragma once

#include <string>

#include "registry/hive.h"

namespace kv::tarnreg {

// The switches, as bits of a verb's set of allowed ones.
inline constexpr unsigned kValueSwitches = 1u << 0;    // /v NAME, /ve
inline constexpr unsigned kAllValuesSwitch = 1u << 1;  // /va
inline constexpr unsigned kTypeAndData = 1u << 2;      // /t TYPE, /d DATA
inline constexpr unsigned kForceSwitch = 1u << 3;      // /f

enum class Target {
  kKey,        // the key itself
  kValue,      // the value `value.name`; "" is the default value
  kAllValues,  // every value of the key
};

struct Command {
  std::string keyText;  // KEY as typed, for messages
  RegistryRoot root{};
  std::u16string subkey;
  Target target = Target::kKey;
  // The value's name, and for add its type (REG_SZ unless /t says
  // otherwise) and data (empty text or 0 without /d).
  RegistryValue value;
  bool force = false;
};

}  // namespace kv::tarnreg
