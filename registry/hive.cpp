// RegistryHive (hive.h): every read parses the whole hive; every write is
// one locked read-change-replace cycle (Rewrite), so an operation sees and
// keeps whatever another process wrote just before it.
#include "registry/hive.h"

#include <string>

#include "platform/limits.h"
#include "platform/whole_file.h"
#include "registry/tree.h"

namespace kv {
namespace {

template <typename T>
RegistryResult<T> Failed(RegistryStatus status, int cause = 0) {
  return {status, cause, T{}};
}

// A missing hive is an empty registry; one over the size bound is never
// loaded, so never rewritten.
RegistryResult<RegistryTree> Load(const std::filesystem::path& hivePath) {
  const Result<std::string> read = ReadWholeHostFile(hivePath, limits::kMaxHiveBytes);
  if (read.status == FileStatus::kFileNotFound) return {};
  if (!read.Ok()) {
    return Failed<RegistryTree>(
        read.cause == EFBIG ? RegistryStatus::kCorruptHive : RegistryStatus::kFailed, read.cause);
  }
  std::optional<RegistryTree> tree = ParseHive(read.value);
  if (!tree) return Failed<RegistryTree>(RegistryStatus::kCorruptHive);
  return {RegistryStatus::kOk, 0, std::move(*tree)};
}

// Applies `change` to the hive under the writers' lock. The hive is
// rewritten only when it was read and `change` answers kOk.
template <typename Change>
RegistryResult<> Rewrite(const std::filesystem::path& hivePath, Change&& change) {
  WriterLock lock;
  if (const Result<void> locked = lock.Acquire(hivePath, limits::kLogLockWait); !locked.Ok()) {
    return Failed<std::monostate>(RegistryStatus::kFailed, locked.cause);
  }
  RegistryResult<RegistryTree> loaded = Load(hivePath);
  if (!loaded.Ok()) return Failed<std::monostate>(loaded.status, loaded.cause);
  if (const RegistryStatus changed = change(loaded.value); changed != RegistryStatus::kOk) {
    return Failed<std::monostate>(changed);
  }
  const std::string content = FormatHive(loaded.value);
  if (content.size() > limits::kMaxHiveBytes) {
    return Failed<std::monostate>(RegistryStatus::kInvalidInput);
  }
  const Result<void> replaced = ReplaceHostFile(hivePath, content);
  if (!replaced.Ok()) return Failed<std::monostate>(RegistryStatus::kFailed, replaced.cause);
  return {};
}

// Erases the element `item` points at from `items`.
template <typename Item>
void EraseItem(std::vector<Item>& items, const Item* item) {
  items.erase(items.begin() + (item - items.data()));
}

RegistryResult<> SetValue(const std::filesystem::path& hivePath, RegistryRoot root,
                          std::u16string_view subkey, RegistryValue value) {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(value.name) ||
      !IsValidRegistryText(value.text)) {
    return Failed<std::monostate>(RegistryStatus::kInvalidInput);
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

std::filesystem::path HivePath(const Store& store) { return store.PrefixPath() / "system.reg"; }

RegistryResult<RegistryValue> RegistryHive::ReadValue(RegistryRoot root, std::u16string_view subkey,
                                                      std::u16string_view name) const {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(name)) {
    return Failed<RegistryValue>(RegistryStatus::kInvalidInput);
  }
  const RegistryResult<RegistryTree> loaded = Load(path_);
  if (!loaded.Ok()) return Failed<RegistryValue>(loaded.status, loaded.cause);
  const RegistryKey* key = loaded.value.FindKey(root, subkey);
  const RegistryValue* found = key == nullptr ? nullptr : key->FindValue(name);
  if (found == nullptr) return Failed<RegistryValue>(RegistryStatus::kNotFound);
  return {RegistryStatus::kOk, 0, *found};
}

RegistryResult<RegistryKeyListing> RegistryHive::ListKey(RegistryRoot root,
                                                         std::u16string_view subkey) const {
  if (!IsValidRegistrySubkey(subkey))
    return Failed<RegistryKeyListing>(RegistryStatus::kInvalidInput);
  const RegistryResult<RegistryTree> loaded = Load(path_);
  if (!loaded.Ok()) return Failed<RegistryKeyListing>(loaded.status, loaded.cause);
  // Walked name by name to report the stored spelling of every parent.
  const RegistryKey* key = &loaded.value.roots[static_cast<std::size_t>(root)];
  RegistryKeyListing listing{key->name, {}, {}};
  for (const std::u16string_view name : SplitSubkey(subkey)) {
    key = key->FindSubkey(name);
    if (key == nullptr) return Failed<RegistryKeyListing>(RegistryStatus::kNotFound);
    listing.path += u"\\" + key->name;
  }
  listing.values = key->values;
  for (const RegistryKey& child : key->subkeys) listing.subkeys.push_back(child.name);
  return {RegistryStatus::kOk, 0, std::move(listing)};
}

RegistryResult<> RegistryHive::SetString(RegistryRoot root, std::u16string_view subkey,
                                         std::u16string_view name, std::u16string_view text) {
  return SetValue(
      path_, root, subkey,
      RegistryValue{std::u16string(name), RegistryType::kString, std::u16string(text), 0});
}

RegistryResult<> RegistryHive::SetDword(RegistryRoot root, std::u16string_view subkey,
                                        std::u16string_view name, std::uint32_t data) {
  return SetValue(path_, root, subkey,
                  RegistryValue{std::u16string(name), RegistryType::kDword, u"", data});
}

RegistryResult<> RegistryHive::CreateKey(RegistryRoot root, std::u16string_view subkey) {
  if (!IsValidRegistrySubkey(subkey)) return Failed<std::monostate>(RegistryStatus::kInvalidInput);
  return Rewrite(path_, [&](RegistryTree& tree) {
    tree.CreateKey(root, subkey);
    return RegistryStatus::kOk;
  });
}

RegistryResult<> RegistryHive::DeleteValue(RegistryRoot root, std::u16string_view subkey,
                                           std::u16string_view name) {
  if (!IsValidRegistrySubkey(subkey) || !IsValidRegistryText(name)) {
    return Failed<std::monostate>(RegistryStatus::kInvalidInput);
  }
  return Rewrite(path_, [&](RegistryTree& tree) {
    RegistryKey* key = tree.FindKey(root, subkey);
    const RegistryValue* value = key == nullptr ? nullptr : key->FindValue(name);
    if (value == nullptr) return RegistryStatus::kNotFound;
    EraseItem(key->values, value);
    return RegistryStatus::kOk;
  });
}

RegistryResult<> RegistryHive::DeleteAllValues(RegistryRoot root, std::u16string_view subkey) {
  if (!IsValidRegistrySubkey(subkey)) return Failed<std::monostate>(RegistryStatus::kInvalidInput);
  return Rewrite(path_, [&](RegistryTree& tree) {
    RegistryKey* key = tree.FindKey(root, subkey);
    if (key == nullptr) return RegistryStatus::kNotFound;
    key->values.clear();
    return RegistryStatus::kOk;
  });
}

RegistryResult<> RegistryHive::DeleteKey(RegistryRoot root, std::u16string_view subkey) {
  if (subkey.empty() || !IsValidRegistrySubkey(subkey)) {
    return Failed<std::monostate>(RegistryStatus::kInvalidInput);
  }
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

}  // namespace kv
