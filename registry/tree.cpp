// The in-memory registry tree, root names and name rules (tree.h,
// hive.h). Lookups walk one name at a time; a hive holds a few
// dozen keys, so linear searches keep the order the file had.
#include "registry/tree.h"

#include <algorithm>
#include <array>

#include "platform/case_fold.h"
#include "platform/utf_codec.h"

namespace kv {
namespace {

struct RootNames {
  RegistryRoot root;
  std::u16string_view longName;
  std::u16string_view shortName;
};

constexpr std::array<RootNames, 3> kRoots = {{
    {RegistryRoot::kLocalMachine, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {RegistryRoot::kClassesRoot, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {RegistryRoot::kCurrentUser, u"HKEY_CURRENT_USER", u"HKCU"},
}};

bool HasLoneSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      return true;
    }
  }
  return false;
}

// The item of `items` (const or not) named `name` ignoring case, or null.
template <typename Items>
auto FindByName(Items& items, std::u16string_view name) -> decltype(&*items.begin()) {
  const auto found = std::find_if(items.begin(), items.end(), [name](const auto& item) {
    return EqualIgnoringCase(item.name, name);
  });
  return found == items.end() ? nullptr : &*found;
}

// The key `subkey` below `key` (const or not), or null.
template <typename Key>
Key* FindBelow(Key* key, std::u16string_view subkey) {
  for (const std::u16string_view name : SplitSubkey(subkey)) {
    key = FindByName(key->subkeys, name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

}  // namespace

std::string RegistryValue::Data() const {
  std::string data;
  if (type == RegistryType::kDword) {
    for (int shift = 0; shift < 32; shift += 8) data += static_cast<char>((dword >> shift) & 0xFF);
    return data;
  }
  for (const char16_t unit : text) {
    data += static_cast<char>(unit & 0xFF);
    data += static_cast<char>(unit >> 8);
  }
  data.append(2, '\0');
  return data;
}

std::u16string_view RegistryRootName(RegistryRoot root) {
  return kRoots[static_cast<std::size_t>(root)].longName;
}

std::optional<RegistryKeyPath> SplitRegistryKeyPath(std::u16string_view keyPath) {
  const std::size_t separator = keyPath.find(u'\\');
  const std::u16string_view rootName = keyPath.substr(0, separator);
  for (const RootNames& names : kRoots) {
    if (EqualIgnoringCase(rootName, names.longName) ||
        EqualIgnoringCase(rootName, names.shortName)) {
      return RegistryKeyPath{names.root, std::u16string(separator == std::u16string_view::npos
                                                            ? u""
                                                            : keyPath.substr(separator + 1))};
    }
  }
  return std::nullopt;
}

bool IsValidRegistrySubkey(std::u16string_view subkey) {
  if (subkey.empty()) return true;
  if (HasLoneSurrogate(subkey)) return false;
  const auto names = SplitSubkey(subkey);
  return std::none_of(names.begin(), names.end(), [](std::u16string_view name) {
    return name.empty() ||
           std::any_of(name.begin(), name.end(), [](char16_t unit) { return unit < 0x20; });
  });
}

bool IsValidRegistryText(std::u16string_view text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string_view::npos &&
         !HasLoneSurrogate(text);
}

std::vector<std::u16string_view> SplitSubkey(std::u16string_view subkey) {
  std::vector<std::u16string_view> names;
  if (subkey.empty()) return names;
  for (std::size_t start = 0;;) {
    const std::size_t end = subkey.find(u'\\', start);
    names.push_back(subkey.substr(start, end - start));
    if (end == std::u16string_view::npos) return names;
    start = end + 1;
  }
}

RegistryValue* RegistryKey::FindValue(std::u16string_view valueName) {
  return FindByName(values, valueName);
}

const RegistryValue* RegistryKey::FindValue(std::u16string_view valueName) const {
  return FindByName(values, valueName);
}

RegistryKey* RegistryKey::FindSubkey(std::u16string_view keyName) {
  return FindByName(subkeys, keyName);
}

const RegistryKey* RegistryKey::FindSubkey(std::u16string_view keyName) const {
  return FindByName(subkeys, keyName);
}

RegistryTree::RegistryTree() {
  for (const RootNames& names : kRoots) {
    roots[static_cast<std::size_t>(names.root)].name = names.longName;
  }
}

RegistryKey* RegistryTree::FindKey(RegistryRoot root, std::u16string_view subkey) {
  return FindBelow(&roots[static_cast<std::size_t>(root)], subkey);
}

const RegistryKey* RegistryTree::FindKey(RegistryRoot root, std::u16string_view subkey) const {
  return FindBelow(&roots[static_cast<std::size_t>(root)], subkey);
}

RegistryKey& RegistryTree::CreateKey(RegistryRoot root, std::u16string_view subkey) {
  RegistryKey* key = &roots[static_cast<std::size_t>(root)];
  for (const std::u16string_view name : SplitSubkey(subkey)) {
    RegistryKey* child = key->FindSubkey(name);
    if (child == nullptr) {
      key->subkeys.push_back(RegistryKey{std::u16string(name), {}, {}});
      child = &key->subkeys.back();
    }
    key = child;
  }
  return *key;
}

}  // namespace kv
