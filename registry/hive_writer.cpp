// The hive writer (FormatHive of tree.h): tree to hive text, in the
// syntax documented in hive.h. A key gets a header of its own only
// when it holds values or has no subkeys: a parent is implied by its
// children's headers, so the usual hive is one header per key that matters.
#include <array>
#include <cstdio>
#include <string>

#include "platform/text.h"
#include "registry/tree.h"

namespace kv {
namespace {

std::string Quoted(std::u16string_view text) {
  std::string quoted = "\"";
  for (const char c : Utf16ToUtf8(text)) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string ValueLine(const RegistryValue& value) {
  std::string line = value.name.empty() ? "@" : Quoted(value.name);
  line += '=';
  if (value.type == RegistryType::kDword) {
    std::array<char, 9> digits{};
    std::snprintf(digits.data(), digits.size(), "%08x", static_cast<unsigned>(value.dword));
    line += "dword:" + std::string(digits.data());
  } else {
    line += Quoted(value.text);
  }
  return line + '\n';
}

void AppendKey(const RegistryKey& key, const std::string& path, bool isRoot, std::string& out) {
  if (!key.values.empty() || (key.subkeys.empty() && !isRoot)) {
    out += "[" + path + "]\n";
    for (const RegistryValue& value : key.values) out += ValueLine(value);
    out += '\n';
  }
  for (const RegistryKey& subkey : key.subkeys) {
    AppendKey(subkey, path + "\\" + Utf16ToUtf8(subkey.name), false, out);
  }
}

}  // namespace

std::string FormatHive(const RegistryTree& tree) {
  std::string out = std::string(kHiveVersionLine) + "\n\n";
  for (const RegistryKey& root : tree.roots) AppendKey(root, Utf16ToUtf8(root.name), true, out);
  return out;
}

}  // namespace kv
