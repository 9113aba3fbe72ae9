// RegistryHive (registry_hive.h): every read parses the whole hive; every
// write is one locked read-change-replace cycle (Rewrite), so an operation
// sees and keeps whatever another process wrote just before it.
#include "platform/registry_hive.h"

#include <string>

#include "platform/limits.h"
#include "platform/registry_hive_file.h"
#include "platform/registry_tree.h"

namespace kv::platform {
namespace {

RegistryStatus Load(const std::filesystem::path& hivePath, RegistryTree& tree) {
  std::string content;
  if (const RegistryStatus read = ReadHiveFile(hivePath, content); read != RegistryStatus::kOk) {
    return read;
  }
  return ParseHive(content, tree) ? RegistryStatus::kOk : RegistryStatus::kCorruptHive;
}

// Applies `change` to the hive under the writers' lock. The hive is
// rewritten only when it was read and `change` answers kOk.
template <typename Change>
RegistryStatus Rewrite(const std::filesystem::path& hivePath, Change&& change) {
  HiveWriteLock lock;
  if (!lock.Acquire(hivePath)) return RegistryStatus::kFailed;
  RegistryTree tree;
  if (const RegistryStatus loaded = Load(hivePath, tree); loaded != RegistryStatus::kOk) {
    return loaded;
  }
  if (const RegistryStatus changed = change(tree); changed != RegistryStatus::kOk) return changed;
  const std::string content = FormatHive(tree);
  if (content.size() > limits::kMaxHiveBytes) return RegistryStatus::kInvalidInput;
  return ReplaceHiveFile(hivePath, content) ? RegistryStatus::kOk : RegistryStatus::kFailed;
}

// Erases the element `item` points at from `items`.
template <typename Item>
void EraseItem(std::vector<Item>& items, const Item* item) {
  items.erase(items.begin() + (item - items.data()));
}

RegistryStatus SetValue(const std::filesystem::path& hivePath, RegistryRoot root,
                        std::u16string_view subkey, RegistryValue value) {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(value.name) ||
      !IsValidRegistryText(value.text)) {
    return RegistryStatus::kInvalidInput;
  }
  return Rewrite(hivePath, [&](RegistryTree& tree) {
    RegistryKey& key = tree.CreateKey(root, subkey);
    if (RegistryValue* existing = key.FindValue(value.name)) {
      value.name = existing->name;
      *existing = std::move(value);
    } else {
      key.values.push_back(std::move(value));
    }
    return RegistryStatus::kOk;
  });
}

}  // namespace

RegistryStatus RegistryHive::ReadValue(RegistryRoot root, std::u16string_view subkey,
                                       std::u16string_view name, RegistryValue& value) const {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(name)) {
    return RegistryStatus::kInvalidInput;
  }
  RegistryTree tree;
  if (const RegistryStatus loaded = Load(path_, tree); loaded != RegistryStatus::kOk) {
    return loaded;
  }
  const RegistryKey* key = tree.FindKey(root, subkey);
  const RegistryValue* found = key == nullptr ? nullptr : key->FindValue(name);
  if (found == nullptr) return RegistryStatus::kNotFound;
  value = *found;
  return RegistryStatus::kOk;
}

RegistryStatus RegistryHive::ListKey(RegistryRoot root, std::u16string_view subkey,
                                     RegistryKeyListing& listing) const {
  if (!IsValidRegistrySubkey(subkey)) return RegistryStatus::kInvalidInput;
  RegistryTree tree;
  if (const RegistryStatus loaded = Load(path_, tree); loaded != RegistryStatus::kOk) {
    return loaded;
  }
  // Walked name by name to report the stored spelling of every parent.
  const RegistryKey* key = &tree.roots[static_cast<std::size_t>(root)];
  listing = RegistryKeyListing{key->name, {}, {}};
  for (const std::u16string_view name : SplitSubkey(subkey)) {
    key = key->FindSubkey(name);
    if (key == nullptr) return RegistryStatus::kNotFound;
    listing.path += u"\\" + key->name;
  }
  listing.values = key->values;
  for (const RegistryKey& child : key->subkeys) listing.subkeys.push_back(child.name);
  return RegistryStatus::kOk;
}

RegistryStatus RegistryHive::SetString(RegistryRoot root, std::u16string_view subkey,
                                       std::u16string_view name, std::u16string_view text) {
  return SetValue(
      path_, root, subkey,
      RegistryValue{std::u16string(name), RegistryType::kString, std::u16string(text), 0});
}

RegistryStatus RegistryHive::SetDword(RegistryRoot root, std::u16string_view subkey,
                                      std::u16string_view name, std::uint32_t data) {
  return SetValue(path_, root, subkey,
                  RegistryValue{std::u16string(name), RegistryType::kDword, u"", data});
}

RegistryStatus RegistryHive::CreateKey(RegistryRoot root, std::u16string_view subkey) {
  if (!IsValidRegistrySubkey(subkey)) return RegistryStatus::kInvalidInput;
  return Rewrite(path_, [&](RegistryTree& tree) {
    tree.CreateKey(root, subkey);
    return RegistryStatus::kOk;
  });
}

RegistryStatus RegistryHive::DeleteValue(RegistryRoot root, std::u16string_view subkey,
                                         std::u16string_view name) {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(name)) {
    return RegistryStatus::kInvalidInput;
  }
  return Rewrite(path_, [&](RegistryTree& tree) {
    RegistryKey* key = tree.FindKey(root, subkey);
    const RegistryValue* value = key == nullptr ? nullptr : key->FindValue(name);
    if (value == nullptr) return RegistryStatus::kNotFound;
    EraseItem(key->values, value);
    return RegistryStatus::kOk;
  });
}

RegistryStatus RegistryHive::DeleteAllValues(RegistryRoot root, std::u16string_view subkey) {
  if (!IsValidRegistrySubkey(subkey)) return RegistryStatus::kInvalidInput;
  return Rewrite(path_, [&](RegistryTree& tree) {
    RegistryKey* key = tree.FindKey(root, subkey);
    if (key == nullptr) return RegistryStatus::kNotFound;
    key->values.clear();
    return RegistryStatus::kOk;
  });
}

RegistryStatus RegistryHive::DeleteKey(RegistryRoot root, std::u16string_view subkey) {
  if (subkey.empty() || !IsValidRegistrySubkey(subkey)) return RegistryStatus::kInvalidInput;
  const std::size_t cut = subkey.rfind(u'\\');
  const std::u16string_view parentPath =
      cut == std::u16string_view::npos ? u"" : subkey.substr(0, cut);
  const std::u16string_view leaf = subkey.substr(cut == std::u16string_view::npos ? 0 : cut + 1);
  return Rewrite(path_, [&](RegistryTree& tree) {
    RegistryKey* parent = tree.FindKey(root, parentPath);
    const RegistryKey* key = parent == nullptr ? nullptr : parent->FindSubkey(leaf);
    if (key == nullptr) return RegistryStatus::kNotFound;
    EraseItem(parent->subkeys, key);
    return RegistryStatus::kOk;
  });
}

}  // namespace kv::platform
