// tarnreg query KEY [/v NAME | /ve]: shows a key in the layout of the
// Windows reg command: the key's full name, then one line per value
// ("    NAME    TYPE    DATA", (Default) for the default value, a
// REG_DWORD as 0x hex), then, after a blank line, the full name of each
// subkey. With /v or /ve only that value's line follows the key's name.
#include <array>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/text.h"
#include "tools/tarnreg/cli.h"
#include "tools/tarnreg/verbs.h"

namespace kv::tarnreg {
namespace {

std::string ValueLine(const RegistryValue& value) {
  std::string line = "    " + DisplayName(value.name) + "    ";
  if (value.type == RegistryType::kDword) {
    std::array<char, 11> hex{};
    std::snprintf(hex.data(), hex.size(), "0x%x", static_cast<unsigned>(value.dword));
    return line + "REG_DWORD    " + hex.data() + "\n";
  }
  return line + "REG_SZ    " + Utf16ToUtf8(value.text) + "\n";
}

}  // namespace

int RunQuery(RegistryHive& hive, const Command& command) {
  const RegistryResult<RegistryKeyListing> listed = hive.ListKey(command.root, command.subkey);
  if (!listed.Ok()) {
    return ReportFailure("query", listed.status, listed.cause, hive, KeySubject(command));
  }
  const RegistryKeyListing& listing = listed.value;
  std::string out = Utf16ToUtf8(listing.path) + "\n";
  if (command.target == Target::kValue) {
    const RegistryValue* value = FindListedValue(listing, command.value.name);
    if (value == nullptr) {
      return ReportFailure("query", RegistryStatus::kNotFound, 0, hive, ValueSubject(command));
    }
    out += ValueLine(*value);
  } else {
    for (const RegistryValue& value : listing.values) out += ValueLine(value);
    if (!listing.subkeys.empty()) out += "\n";
    for (const std::u16string& subkey : listing.subkeys) {
      out += Utf16ToUtf8(listing.path + u"\\" + subkey) + "\n";
    }
  }
  std::cout << out;
  return kExitOk;
}

}  // namespace kv::tarnreg
