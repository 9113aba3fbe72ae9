// tarnreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]:
// creates the key, or sets a value in it (creating the key). Overwriting an
// existing value asks first unless /f is given; the answer No changes
// nothing and exits 1.
#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/verbs.h"

namespace kv::tarnreg {
namespace {

constexpr std::string_view kVerb = "add";

platform::RegistryStatus SetValue(platform::RegistryHive& hive, const Command& command) {
  const platform::RegistryValue& value = command.value;
  if (value.type == platform::RegistryType::kDword) {
    return hive.SetDword(command.root, command.subkey, value.name, value.dword);
  }
  return hive.SetString(command.root, command.subkey, value.name, value.text);
}

}  // namespace

int RunAdd(platform::RegistryHive& hive, const Command& command) {
  if (command.target == Target::kKey) {
    const platform::RegistryStatus created = hive.CreateKey(command.root, command.subkey);
    if (created != platform::RegistryStatus::kOk) {
      return ReportFailure(kVerb, created, hive, KeySubject(command));
    }
    return Completed();
  }
  if (!command.force) {
    platform::RegistryValue existing;
    const platform::RegistryStatus read =
        hive.ReadValue(command.root, command.subkey, command.value.name, existing);
    if (read == platform::RegistryStatus::kOk &&
        !Confirm("Value " + DisplayName(existing.name) + " exists, overwrite")) {
      return kExitNo;
    }
    if (read != platform::RegistryStatus::kOk && read != platform::RegistryStatus::kNotFound) {
      return ReportFailure(kVerb, read, hive, ValueSubject(command));
    }
  }
  const platform::RegistryStatus set = SetValue(hive, command);
  if (set != platform::RegistryStatus::kOk) {
    return ReportFailure(kVerb, set, hive, ValueSubject(command));
  }
  return Completed();
}

}  // namespace kv::tarnreg
