// tarnreg delete KEY [/v NAME | /ve | /va] [/f]: deletes one value, every
// value of the key (/va, its subkeys stay), or the key with all its
// subkeys. The target is looked up first, so a missing one exits 1 without
// a question; then, unless /f is given, the user is asked, and No changes
// nothing and exits 1.
#include <string>

#include "platform/text.h"
#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/verbs.h"

namespace kv::tarnreg {
namespace {

constexpr std::string_view kVerb = "delete";

platform::RegistryStatus Delete(platform::RegistryHive& hive, const Command& command) {
  switch (command.target) {
    case Target::kValue:
      return hive.DeleteValue(command.root, command.subkey, command.value.name);
    case Target::kAllValues:
      return hive.DeleteAllValues(command.root, command.subkey);
    case Target::kKey:
      break;
  }
  return hive.DeleteKey(command.root, command.subkey);
}

// The question before deleting; `value` is the listed value for kValue.
std::string Question(const Command& command, const platform::RegistryKeyListing& listing,
                     const platform::RegistryValue* value) {
  const std::string key = platform::Utf16ToUtf8(listing.path);
  switch (command.target) {
    case Target::kValue:
      return "Delete the registry value " + DisplayName(value->name);
    case Target::kAllValues:
      return "Delete all values under the registry key " + key;
    case Target::kKey:
      break;
  }
  return "Permanently delete the registry key " + key;
}

}  // namespace

int RunDelete(platform::RegistryHive& hive, const Command& command) {
  platform::RegistryKeyListing listing;
  const platform::RegistryStatus listed = hive.ListKey(command.root, command.subkey, listing);
  if (listed != platform::RegistryStatus::kOk) {
    return ReportFailure(kVerb, listed, hive, KeySubject(command));
  }
  const bool isValue = command.target == Target::kValue;
  const std::string subject = isValue ? ValueSubject(command) : KeySubject(command);
  const platform::RegistryValue* value = FindListedValue(listing, command.value.name);
  if (isValue && value == nullptr) {
    return ReportFailure(kVerb, platform::RegistryStatus::kNotFound, hive, subject);
  }
  if (!command.force && !Confirm(Question(command, listing, value))) return kExitNo;
  const platform::RegistryStatus deleted = Delete(hive, command);
  if (deleted != platform::RegistryStatus::kOk) {
    return ReportFailure(kVerb, deleted, hive, subject);
  }
  return Completed();
}

}  // namespace kv::tarnreg
