// SkinLibrary: the skin bundle \Program Files\Quellbrin\mainskin.dll of the
// store, loaded and held for the interactive run, as the handset held its
// skin module.
//
// Entry points: SkinLibrary (Load), kSkinLibraryPath.
// The bundle is a Qt binary resource file (rcc --binary) holding each skin
// picture as /PNG/<identifier>. It is read through the store like every
// other store file (device path, no link followed) and registered from
// memory, so the bytes are kept here for as long as the registration lasts.
#pragma once

#include <string>
#include <string_view>

#include "platform/store.h"

namespace kv {

inline constexpr std::u16string_view kSkinLibraryPath = u"\\Program Files\\Quellbrin\\mainskin.dll";

class SkinLibrary {
 public:
  SkinLibrary() = default;
  SkinLibrary(const SkinLibrary&) = delete;
  SkinLibrary& operator=(const SkinLibrary&) = delete;
  ~SkinLibrary();

  // Reads and registers the bundle at `devicePath`. false, with nothing
  // registered, when the file is missing, unreadable, larger than any skin
  // needs, or no resource bundle; a second Load of a loaded library fails.
  [[nodiscard]] bool Load(const Store& store, std::u16string_view devicePath = kSkinLibraryPath);

  bool IsLoaded() const { return registered_; }

 private:
  std::string bytes_;
  bool registered_ = false;
};

}  // namespace kv
