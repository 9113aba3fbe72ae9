// The program's registry settings: the CAB monitor's open command and the
// ScanStatus channel of the background scan.
//
// Entry points: WriteRegistryString, WriteRegistryDword, ReadRegistryDword,
// OnScanStatusChanged, and the keys, value name and command texts they use.
// The helpers answer true or false (the handset's 1 and 0) and keep no
// state: every call opens the hive, does one thing and is done, so the
// watch thread and the main thread may call them at the same time.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "registry/hive.h"
#include "scan/stop_token.h"

namespace kv {

// HKEY_LOCAL_MACHINE: the background scan's stop and completion channel.
inline constexpr std::u16string_view kKestrelvoxKey = u"software\\quellbrin\\Kestrelvox";
inline constexpr std::u16string_view kScanStatusValue = u"ScanStatus";
// ScanStatus 0: stop the background scan; 2: it ran to its end; 3: it
// ended without a database, so no file was checked.
inline constexpr std::uint32_t kScanStatusStop = 0;
inline constexpr std::uint32_t kScanStatusFinished = 2;
inline constexpr std::uint32_t kScanStatusNoDatabase = 3;

// HKEY_CLASSES_ROOT: the shell's open command for CAB packages (default
// value), pointing at this program (monitor on) or the installer (off).
inline constexpr std::u16string_view kCabOpenCommandKey = u"cabfile\\Shell\\Open\\Command";
inline constexpr std::u16string_view kCabMonitorOnCommand = u"Tarnwatch.exe \"%1\"";
inline constexpr std::u16string_view kCabMonitorOffCommand = u"wceload.exe \"%1\" /nodelete";

// Creates the key when missing and sets the REG_SZ value (stored with its
// terminator). false when the hive refuses: unparseable, unwritable, or a
// name or text it cannot hold.
[[nodiscard]] bool WriteRegistryString(RegistryHive& hive, RegistryRoot root,
                                       std::u16string_view subkey, std::u16string_view valueName,
                                       std::u16string_view text);

// The same for a REG_DWORD value.
[[nodiscard]] bool WriteRegistryDword(RegistryHive& hive, RegistryRoot root,
                                      std::u16string_view subkey, std::u16string_view valueName,
                                      std::uint32_t data);

// Reads a value into a 32-bit word without looking at its stored type, as
// the handset's 4-byte query does: a REG_DWORD gives its value; a REG_SZ
// gives its first 4 bytes of UTF-16LE data (terminator included) read as a
// little-endian word, missing high bytes zero, so "" reads 0 and "2" reads
// 0x32. Nothing when the key or value is missing or the hive cannot be read.
std::optional<std::uint32_t> ReadRegistryDword(const RegistryHive& hive, RegistryRoot root,
                                               std::u16string_view subkey,
                                               std::u16string_view valueName);

// The ScanStatus change callback: reads ScanStatus again and stops the
// background scan (cancelling the search in progress too) only when that
// read succeeds and gives 0. Any other value, a missing value or an
// unreadable hive changes nothing.
void OnScanStatusChanged(const RegistryHive& hive, StopToken& backgroundScanStop);

}  // namespace kv
