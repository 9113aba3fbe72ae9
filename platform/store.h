// The device prefix and its file store, resolved once when a program starts.
//
// Entry points: Store (Open, PrefixPath, StorePath), PrefixFromEnvironment,
// ChoosePrefix.
// A program's entry reads the prefix from the environment once
// (PrefixFromEnvironment), opens it as a Store and hands that Store to every
// store file call (files.h). Nothing reads the environment or creates
// folders per operation: the environment could change under a running
// program, and another thread's setenv races every getenv. The store root is
// held open, so each device path is resolved from that descriptor, and a
// store folder renamed or replaced on the host while the program runs does
// not redirect it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/result.h"
#include "platform/unique_fd.h"

namespace kv {

class Store {
 public:
  Store() = default;  // opens nothing: every file call on it fails
  Store(Store&&) noexcept = default;
  Store& operator=(Store&&) noexcept = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Creates `prefix` and its "store" folder when missing and opens the
  // store's root. Fails when either cannot be created or the root cannot be
  // opened. The paths kept are absolute, so a later change of the current
  // folder cannot move them.
  [[nodiscard]] static Result<Store> Open(const std::filesystem::path& prefix);

  const std::filesystem::path& PrefixPath() const { return prefixPath_; }
  const std::filesystem::path& StorePath() const { return storePath_; }

  // For platform/ only: the O_PATH descriptor of the store root, where the
  // resolution of every device path starts (-1 for a Store not opened).
  int RootDescriptor() const { return root_.Get(); }

 private:
  std::filesystem::path prefixPath_;
  std::filesystem::path storePath_;
  UniqueFd root_;
};

// The device path of a host path that lies inside the store
// ("<store>/My Documents/a.cab" gives "\My Documents\a.cab"), judged on the
// path's text made absolute, without following links; nothing for a path
// outside the store or the store root itself.
std::optional<std::u16string> DevicePathOfHostPath(const Store& store,
                                                   const std::filesystem::path& hostPath);

// The default prefix: `configured` ($KESTRELVOX_PREFIX) when set and not
// empty; else <home>/.kestrelvox when it exists (where earlier versions put
// every prefix); else <xdgDataHome>/kestrelvox, where a `xdgDataHome` that is
// unset, empty or relative is ignored for <home>/.local/share, as the XDG
// base directory rules say.
std::filesystem::path ChoosePrefix(const std::optional<std::string>& configured,
                                   const std::filesystem::path& home,
                                   const std::optional<std::string>& xdgDataHome);

// ChoosePrefix on $KESTRELVOX_PREFIX, the home ($HOME; else the account's
// home from the password database; else ".": a prefix must always have
// somewhere to live) and $XDG_DATA_HOME. Read once by a program's entry.
std::filesystem::path PrefixFromEnvironment();

}  // namespace kv
