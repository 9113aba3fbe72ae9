// ParseCommand (command_line.h). Every check that needs no hive is made
// here, before the hive is touched: switches, the key's root and names,
// the value name, the type and the data, so that a usage error never
// depends on what the hive holds.
#include "tools/tarnreg/command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>

#include "platform/text.h"

namespace kv::tarnreg {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Converts an argument to hive text: false for ill-formed UTF-8 (it would
// be stored as U+FFFD) and for what IsValidRegistryText refuses.
bool ToHiveText(const std::string& argument, std::u16string& text) {
  text = Utf8ToUtf16(argument);
  return Utf16ToUtf8(text) == argument && IsValidRegistryText(text);
}

// Decimal or 0x hex, 0 to 0xFFFFFFFF, nothing around it.
bool ParseDwordData(std::string_view text, std::uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

// The switches given, lower-cased, with their arguments ("" for none).
using Seen = std::map<std::string, std::string, std::less<>>;

struct SwitchInfo {
  std::string_view name;
  unsigned set;
  bool takesArgument;
};

constexpr SwitchInfo kSwitches[] = {
    {"/v", kValueSwitches, true}, {"/ve", kValueSwitches, false}, {"/va", kAllValuesSwitch, false},
    {"/t", kTypeAndData, true},   {"/d", kTypeAndData, true},     {"/f", kForceSwitch, false},
};

// The argument of switch `name`, or nothing when it was not given.
std::optional<std::string> Given(const Seen& seen, std::string_view name) {
  const auto found = seen.find(name);
  if (found == seen.end()) return std::nullopt;
  return found->second;
}

// Turns the switches into the command's target and value; the problem, or
// "" when fine.
std::string Resolve(const Seen& seen, Command& command) {
  const std::optional<std::string> valueName = Given(seen, "/v");
  const std::optional<std::string> type = Given(seen, "/t");
  const std::optional<std::string> data = Given(seen, "/d");
  const bool defaultValue = seen.contains("/ve");
  const bool allValues = seen.contains("/va");
  if (int(valueName.has_value()) + int(defaultValue) + int(allValues) > 1) {
    return "give only one of /v, /ve and /va";
  }
  if (valueName || defaultValue || type || data) {
    command.target = Target::kValue;
    if (!ToHiveText(valueName.value_or(""), command.value.name)) {
      return "value name holds a line break, NUL or invalid UTF-8";
    }
  }
  if (allValues) command.target = Target::kAllValues;
  command.force = seen.contains("/f");
  const std::string typeName = Lowered(type.value_or("REG_SZ"));
  if (typeName == "reg_dword") {
    command.value.type = RegistryType::kDword;
    if (data && !ParseDwordData(*data, command.value.dword)) {
      return "REG_DWORD data '" + *data + "' is not a number from 0 to 4294967295 (or 0x hex)";
    }
  } else if (typeName == "reg_sz") {
    if (!ToHiveText(data.value_or(""), command.value.text)) {
      return "data holds a line break, NUL or invalid UTF-8";
    }
  } else {
    return "unsupported type '" + *type + "' (REG_SZ or REG_DWORD)";
  }
  return {};
}

// Splits KEY into root and subkey; the problem, or "" when fine.
std::string ResolveKey(const std::string& key, Command& command) {
  command.keyText = key;
  const std::u16string wide = Utf8ToUtf16(key);
  const std::optional<RegistryKeyPath> split = SplitRegistryKeyPath(wide);
  if (!split) return "unknown root in key '" + key + "' (HKLM, HKCR, HKCU or their long names)";
  command.root = split->root;
  command.subkey = split->subkey;
  if (Utf16ToUtf8(wide) != key || !IsValidRegistrySubkey(command.subkey)) {
    return "invalid key '" + key + "' (empty name, control character or invalid UTF-8)";
  }
  return {};
}

}  // namespace

int ParseCommand(const Verb& verb, const Args& args, Command& command) {
  Seen seen;
  std::optional<std::string> key;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!args[i].starts_with('/')) {
      if (key) return UsageError(verb, "unexpected argument '" + args[i] + "'");
      key = args[i];
      continue;
    }
    const std::string name = Lowered(args[i]);
    const auto info = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                   [&](const SwitchInfo& known) { return known.name == name; });
    if (info == std::end(kSwitches) || (verb.switches & info->set) == 0) {
      return UsageError(verb, "unknown switch '" + args[i] + "'");
    }
    if (info->takesArgument && i + 1 == args.size()) {
      return UsageError(verb, args[i] + " needs an argument");
    }
    if (seen.contains(name)) return UsageError(verb, args[i] + " given twice");
    seen[name] = info->takesArgument ? args[++i] : std::string();
  }
  if (!key) return UsageError(verb, "missing KEY");
  if (const std::string problem = ResolveKey(*key, command); !problem.empty()) {
    return UsageError(verb, problem);
  }
  if (const std::string problem = Resolve(seen, command); !problem.empty()) {
    return UsageError(verb, problem);
  }
  if (command.target == Target::kKey && command.subkey.empty() && verb.name == "delete") {
    return UsageError(verb, "a root key cannot be deleted");
  }
  return kExitOk;
}

}  // namespace kv::tarnreg
