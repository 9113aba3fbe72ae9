// The verb table, usage text, error reports, question and display helpers
// of cli.h. Text crosses to the terminal as UTF-8.
#include "tools/tarnreg/cli.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iostream>

#include "platform/case_fold.h"
#include "platform/result.h"
#include "platform/text.h"
#include "tools/tarnreg/verbs.h"

namespace kv::tarnreg {
namespace {

constexpr std::array<Verb, 3> kVerbs = {{
    {"query", "KEY [/v NAME | /ve]", kValueSwitches, RunQuery},
    {"add", "KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]",
     kValueSwitches | kTypeAndData | kForceSwitch, RunAdd},
    {"delete", "KEY [/v NAME | /ve | /va] [/f]", kValueSwitches | kAllValuesSwitch | kForceSwitch,
     RunDelete},
}};

bool IsYes(std::string answer) {
  if (answer.ends_with('\r')) answer.pop_back();
  std::transform(answer.begin(), answer.end(), answer.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return answer == "y" || answer == "yes";
}

}  // namespace

const Verb* FindVerb(std::string_view name) {
  const std::u16string wanted = Utf8ToUtf16(name);
  for (const Verb& verb : kVerbs) {
    if (EqualIgnoringCase(Utf8ToUtf16(verb.name), wanted)) return &verb;
  }
  return nullptr;
}

std::string UsageText() {
  std::string text;
  for (const Verb& verb : kVerbs) {
    text += (text.empty() ? "Usage: " : "       ");
    text += "tarnreg " + std::string(verb.name) + " " + std::string(verb.arguments) + "\n";
  }
  text +=
      "       tarnreg -h | --help | --version\n"
      "Kestrelvox registry tool: reads and changes the handset's registry,\n"
      "$KESTRELVOX_PREFIX/system.reg (the prefix's default: ~/.kestrelvox when it\n"
      "exists, else $XDG_DATA_HOME/kestrelvox).\n"
      "\n"
      "KEY is ROOT\\subkey, ROOT one of HKEY_LOCAL_MACHINE (HKLM),\n"
      "HKEY_CLASSES_ROOT (HKCR) or HKEY_CURRENT_USER (HKCU); quote it for the shell.\n"
      "\n"
      "Switches (any letter case):\n"
      "  /v NAME      the value NAME\n"
      "  /ve          the default value, shown as (Default)\n"
      "  /va          every value of the key (delete)\n"
      "  /t TYPE      REG_SZ (the default) or REG_DWORD (add)\n"
      "  /d DATA      the data; REG_DWORD takes decimal or 0x hex (add)\n"
      "  /f           change without asking\n"
      "  -h, --help   show this help and exit\n"
      "  --version    show the version and exit\n"
      "\n"
      "add without /v or /ve creates the key, or sets the default value when /t\n"
      "or /d is given. delete without /v, /ve or /va deletes the key and all its\n"
      "subkeys. Without /f, overwriting a value or deleting asks (Yes/No)? and\n"
      "reads the answer from standard input: y or yes goes on; anything else, and\n"
      "end of input, is No.\n"
      "\n"
      "Exit status: 0 on success, 1 when the key or value was not found or the\n"
      "answer was No, 2 on a usage error or when the hive cannot be read or written.\n";
  return text;
}

int Fail(std::string_view message) {
  // Echoed arguments may hold control characters; the report stays one line.
  std::cerr << "tarnreg: " << EscapeControlBytes(message) << '\n';
  return kExitError;
}

int UsageError(const Verb& verb, std::string_view problem) {
  return Fail(std::string(verb.name) + ": " + std::string(problem) + " (usage: tarnreg " +
              std::string(verb.name) + " " + std::string(verb.arguments) + ")");
}

std::string KeySubject(const Command& command) { return "key '" + command.keyText + "'"; }

std::string ValueSubject(const Command& command) {
  return "value " + DisplayName(command.value.name) + " in '" + command.keyText + "'";
}

int ReportFailure(std::string_view verb, RegistryStatus status, int cause, const RegistryHive& hive,
                  const std::string& subject) {
  const std::string prefix = std::string(verb) + ": ";
  const std::string hivePath = "'" + hive.Path().string() + "'";
  switch (status) {
    case RegistryStatus::kNotFound:
      Fail(prefix + subject + " not found");
      return kExitNo;
    case RegistryStatus::kCorruptHive:
      return Fail(prefix + hivePath + " cannot be parsed; it is left as it is");
    case RegistryStatus::kInvalidInput:
      return Fail(prefix + "the hive would grow past its size limit");
    case RegistryStatus::kOk:
    case RegistryStatus::kFailed:
      break;
  }
  return Fail(WithCause(prefix + "cannot read or write " + hivePath, cause));
}

bool Confirm(const std::string& question) {
  std::cout << question << " (Yes/No)? " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::cout << '\n';  // leave the terminal on a fresh line
    return false;
  }
  return IsYes(answer);
}

int Completed() {
  std::cout << "The operation completed successfully.\n";
  return kExitOk;
}

std::string DisplayName(std::u16string_view valueName) {
  return valueName.empty() ? "(Default)" : Utf16ToUtf8(valueName);
}

const RegistryValue* FindListedValue(const RegistryKeyListing& listing, std::u16string_view name) {
  const auto found = std::find_if(
      listing.values.begin(), listing.values.end(),
      [name](const RegistryValue& value) { return EqualIgnoringCase(value.name, name); });
  return found == listing.values.end() ? nullptr : &*found;
}

}  // namespace kv::tarnreg
