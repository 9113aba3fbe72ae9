// tarnreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]:
// creates the key, or sets a value in it (creating the key). Overwriting an
// existing value asks first unless /f is given; the answer No changes
// nothing and exits 1.
#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/verbs.h"

namespace kv::tarnreg {
namespace {

constexpr std::string_view kVerb = "add";

RegistryResult<> SetValue(RegistryHive& hive, const Command& command) {
  const RegistryValue& value = command.value;
  if (value.type == RegistryType::kDword) {
    return hive.SetDword(command.root, command.subkey, value.name, value.dword);
  }
  return hive.SetString(command.root, command.subkey, value.name, value.text);
}

}  // namespace

int RunAdd(RegistryHive& hive, const Command& command) {
  if (command.target == Target::kKey) {
    const RegistryResult<> created = hive.CreateKey(command.root, command.subkey);
    if (!created.Ok()) {
      return ReportFailure(kVerb, created.status, created.cause, hive, KeySubject(command));
    }
    return Completed();
  }
  if (!command.force) {
    const RegistryResult<RegistryValue> read =
        hive.ReadValue(command.root, command.subkey, command.value.name);
    if (read.Ok() && !Confirm("Value " + DisplayName(read.value.name) + " exists, overwrite")) {
      return kExitNo;
    }
    if (!read.Ok() && read.status != RegistryStatus::kNotFound) {
      return ReportFailure(kVerb, read.status, read.cause, hive, ValueSubject(command));
    }
  }
  const RegistryResult<> set = SetValue(hive, command);
  if (!set.Ok()) return ReportFailure(kVerb, set.status, set.cause, hive, ValueSubject(command));
  return Completed();
}

}  // namespace kv::tarnreg
