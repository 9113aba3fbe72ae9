// The handset's registry on the host: one text hive file, <prefix>/system.reg.
//
// Entry points: RegistryHive (read, list, set, create, delete), HivePath,
// RegistryResult, SplitRegistryKeyPath, RegistryRootName,
// IsValidRegistrySubkey, IsValidRegistryText.
//
// On-disk syntax (UTF-8, lines end in LF; CR LF and a UTF-8 byte-order mark
// are accepted on reading):
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\software\quellbrin\Kestrelvox]
//   "ScanStatus"=dword:00000002
//
//   [HKEY_CLASSES_ROOT\cabfile\Shell\Open\Command]
//   @="Tarnwatch.exe \"%1\""
//
// - The first line is exactly the version line above.
// - "[ROOT\sub\key]" opens a key; ROOT is HKEY_LOCAL_MACHINE,
//   HKEY_CLASSES_ROOT or HKEY_CURRENT_USER (HKLM, HKCR, HKCU and any letter
//   case are read; the long name is written). A key exists when it is named
//   in a header or is a folder of one; its parents need no header of their own.
// - The value lines below a header belong to that key: "Name"=... or @=...
//   for the default value (the value with the empty name). Data is either
//   "text" (REG_SZ) or dword:XXXXXXXX (REG_DWORD, 1 to 8 hex digits read,
//   8 lower-case digits written). Inside quotes, \" is a quote and \\ a
//   backslash; no other escape exists.
// - Blank lines separate keys and are otherwise ignored.
// Anything else (comments, other data types, deletion entries, a value named
// twice in one key, ill-formed UTF-8) makes the hive unparseable.
//
// Names of keys and values compare without regard to letter case (ASCII and
// what case_fold.h folds) and keep the spelling they were created with.
//
// Why it is built this way: reads parse the whole hive and take no lock,
// because every writer replaces the hive by rename, so a reader sees the old
// or the new hive and never a torn one, and no holder of the lock can make a
// reader wait. Every write takes an exclusive flock on "<hive>.lock" (a lock
// on the hive itself would be lost with the file it names), waiting for
// another writer at most limits::kLogLockWait and else failing (kFailed)
// without touching the hive; it re-reads the hive under that lock, writes
// the whole new hive to "<hive>.new", fsyncs it and renames it into place:
// two processes writing at once lose no update and a crash never loses the
// hive. A hive that cannot be parsed is never rewritten: losing the user's
// registry is worse than a failed write. A RegistryHive holds no state but
// its path, so one object may be used from several threads at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/store.h"

namespace kv {

enum class RegistryRoot { kLocalMachine, kClassesRoot, kCurrentUser };

enum class RegistryType { kString, kDword };  // REG_SZ, REG_DWORD

enum class RegistryStatus {
  kOk,
  kNotFound,      // the key or value does not exist (a missing hive is empty)
  kCorruptHive,   // the hive cannot be parsed; it is left as it was
  kInvalidInput,  // a name or text the hive cannot hold, or it would grow too large
  kFailed,        // the host refused: reading, locking (or the lock stayed
                  // busy), writing or renaming
};

// What a registry call gives back: its status, the host's error number
// when a host call failed (0 otherwise), and on success the value read.
template <typename T = std::monostate>
struct RegistryResult {
  [[nodiscard]] bool Ok() const { return status == RegistryStatus::kOk; }

  RegistryStatus status = RegistryStatus::kOk;
  int cause = 0;
  T value{};
};

struct RegistryValue {
  std::u16string name;  // empty: the key's default value
  RegistryType type = RegistryType::kString;
  std::u16string text;      // REG_SZ data, without terminator
  std::uint32_t dword = 0;  // REG_DWORD data

  // The data as the handset stores it: UTF-16LE text with its terminator
  // ((length + 1) x 2 bytes), or the 32-bit value little-endian (4 bytes).
  std::string Data() const;
};

struct RegistryKeyListing {
  std::u16string path;                  // long root name + subkey, as stored
  std::vector<RegistryValue> values;    // in hive order
  std::vector<std::u16string> subkeys;  // names of the direct subkeys
};

// "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT" or "HKEY_CURRENT_USER".
std::u16string_view RegistryRootName(RegistryRoot root);

struct RegistryKeyPath {
  RegistryRoot root = RegistryRoot::kLocalMachine;
  std::u16string subkey;  // "" for the root itself
};

// Splits "HKLM\software\x" (long or short root name, any letter case) into
// its root and subkey. Nothing for an unknown root. The subkey is not
// checked: see IsValidRegistrySubkey.
std::optional<RegistryKeyPath> SplitRegistryKeyPath(std::u16string_view keyPath);

// "" or "\"-separated names, none empty and none holding a control
// character (below U+0020) or a lone surrogate.
bool IsValidRegistrySubkey(std::u16string_view subkey);

// A value name or REG_SZ text the hive can hold: no CR, LF or NUL (they
// would break the line or the terminated string) and no lone surrogate
// (it has no UTF-8 form).
bool IsValidRegistryText(std::u16string_view text);

// The prefix's hive, <prefix>/system.reg.
std::filesystem::path HivePath(const Store& store);

class RegistryHive {
 public:
  explicit RegistryHive(std::filesystem::path hivePath) : path_(std::move(hivePath)) {}

  const std::filesystem::path& Path() const { return path_; }

  RegistryResult<RegistryValue> ReadValue(RegistryRoot root, std::u16string_view subkey,
                                          std::u16string_view name) const;
  RegistryResult<RegistryKeyListing> ListKey(RegistryRoot root, std::u16string_view subkey) const;

  // Set* create the key and its parents when missing, and replace a value
  // of the same name whatever its type (it keeps its stored spelling).
  [[nodiscard]] RegistryResult<> SetString(RegistryRoot root, std::u16string_view subkey,
                                           std::u16string_view name, std::u16string_view text);
  [[nodiscard]] RegistryResult<> SetDword(RegistryRoot root, std::u16string_view subkey,
                                          std::u16string_view name, std::uint32_t data);
  [[nodiscard]] RegistryResult<> CreateKey(RegistryRoot root, std::u16string_view subkey);

  [[nodiscard]] RegistryResult<> DeleteValue(RegistryRoot root, std::u16string_view subkey,
                                             std::u16string_view name);
  // Every value of the key; its subkeys stay.
  [[nodiscard]] RegistryResult<> DeleteAllValues(RegistryRoot root, std::u16string_view subkey);
  // The key with all its subkeys. A root cannot be deleted (kInvalidInput).
  [[nodiscard]] RegistryResult<> DeleteKey(RegistryRoot root, std::u16string_view subkey);

 private:
  std::filesystem::path path_;
};

}  // namespace kv
