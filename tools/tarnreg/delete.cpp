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

RegistryResult<> Delete(RegistryHive& hive, const Command& command) {
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
std::string Question(const Command& command, const RegistryKeyListing& listing,
                     const RegistryValue* value) {
  const std::string key = Utf16ToUtf8(listing.path);
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

int RunDelete(RegistryHive& hive, const Command& command) {
  const RegistryResult<RegistryKeyListing> listed = hive.ListKey(command.root, command.subkey);
  if (!listed.Ok()) {
    return ReportFailure(kVerb, listed.status, listed.cause, hive, KeySubject(command));
  }
  const RegistryKeyListing& listing = listed.value;
  const bool isValue = command.target == Target::kValue;
  const std::string subject = isValue ? ValueSubject(command) : KeySubject(command);
  const RegistryValue* value = FindListedValue(listing, command.value.name);
  if (isValue && value == nullptr) {
    return ReportFailure(kVerb, RegistryStatus::kNotFound, 0, hive, subject);
  }
  if (!command.force && !Confirm(Question(command, listing, value))) return kExitNo;
  const RegistryResult<> deleted = Delete(hive, command);
  if (!deleted.Ok()) return ReportFailure(kVerb, deleted.status, deleted.cause, hive, subject);
  return Completed();
}

}  // namespace kv::tarnreg
