// tarnscan init [PREFIX] [--database FILE]: lays out a working device
// prefix: the store's folders, the skin and the installer stand-in from the
// installed data folder, an empty registry hive, the trust key when the data
// folder has one, and a database only when one is given.
//
// Nothing there is ever replaced: a rerun fills in what is missing and says
// what it kept, so it is safe on a prefix in use. The database and the hive
// are the user's own state (a newer signed database, their registry), so a
// --database over an existing one is refused before anything is laid out.
// Every check that can refuse runs first, so a refusal changes nothing.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "platform/program_location.h"
#include "registry/tree.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

namespace fs = std::filesystem;

const fs::path kDatabase = "store/Program Files/Quellbrin/VirusDB.dat";

// A link, even a dangling one, counts as something there: init never
// writes through it.
bool IsThere(const fs::path& path) {
  std::error_code error;
  return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

bool IsRegularFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

// Lays out the prefix one thing at a time, one line each on stdout.
class Layout {
 public:
  explicit Layout(fs::path prefix) : prefix_(std::move(prefix)) {}

  bool Folder(const fs::path& relative) {
    if (Kept(relative)) return true;
    std::error_code error;
    fs::create_directories(prefix_ / relative, error);
    return Done(!error, "Created " + relative.string(), "create", relative);
  }

  // Copies `source` with its permissions (the installer stand-in stays
  // executable).
  bool Copy(const fs::path& source, const fs::path& relative) {
    if (Kept(relative)) return true;
    std::error_code error;
    fs::copy_file(source, prefix_ / relative, error);
    return Done(!error, "Copied " + relative.string(), "copy '" + source.string() + "' to",
                relative);
  }

  bool Write(const std::string& content, const fs::path& relative, const std::string& what) {
    if (Kept(relative)) return true;
    std::ofstream out(prefix_ / relative, std::ios::binary);
    out << content;
    out.close();
    return Done(static_cast<bool>(out), "Created " + relative.string() + what, "write", relative);
  }

 private:
  bool Kept(const fs::path& relative) const {
    if (!IsThere(prefix_ / relative)) return false;
    std::cout << "Kept " << relative.string() << " (already there)\n";
    return true;
  }

  bool Done(bool ok, const std::string& line, const std::string& failed,
            const fs::path& relative) const {
    if (ok) {
      std::cout << line << "\n";
    } else {
      Fail("init: cannot " + failed + " '" + (prefix_ / relative).string() + "'");
    }
    return ok;
  }

  fs::path prefix_;
};

}  // namespace

int RunInit(const Verb& verb, const Args& args) {
  std::optional<fs::path> prefixArgument;
  std::optional<fs::path> database;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--database") {
      if (database) return UsageError(verb, "--database given twice");
      if (i + 1 == args.size()) return UsageError(verb, "--database needs a FILE");
      database = args[++i];
    } else if (args[i].starts_with("-") || prefixArgument) {
      return UsageError(verb, "unexpected argument '" + args[i] + "'");
    } else {
      prefixArgument = args[i];
    }
  }
  const fs::path data = DataFolderFromEnvironment();
  if (!IsRegularFile(data / "mainskin.dll") || !IsRegularFile(data / "wceload.exe")) {
    return Fail("init: no data folder with mainskin.dll and wceload.exe at '" + data.string() +
                "' (install Kestrelvox, or name the folder in KESTRELVOX_DATA_DIR)");
  }
  if (database && !IsRegularFile(*database)) {
    return Fail("init: cannot read the database '" + database->string() + "'");
  }
  const fs::path prefix = prefixArgument.value_or(PrefixFromEnvironment());
  Result<Store> opened = Store::Open(prefix);
  if (!opened.Ok()) {
    return Fail(
        WithCause("init: cannot create the device prefix '" + prefix.string() + "'", opened.cause));
  }
  const Store store = std::move(opened.value);
  if (database && IsThere(store.PrefixPath() / kDatabase)) {
    return Fail("init: a database is already at '" + (store.PrefixPath() / kDatabase).string() +
                    "'; not replaced (remove it first, or update it with 'tarnsig update')",
                kExitRefused);
  }
  std::cout << "Prefix " << store.PrefixPath().string() << "\n";
  Layout layout(store.PrefixPath());
  const bool done =
      layout.Folder("store/Windows") && layout.Folder("store/My Documents") &&
      layout.Folder("store/Program Files/Quellbrin") &&
      layout.Copy(data / "mainskin.dll", "store/Program Files/Quellbrin/mainskin.dll") &&
      layout.Copy(data / "wceload.exe", "store/Windows/wceload.exe") &&
      layout.Write(std::string(kHiveVersionLine) + "\n\n", HivePath(store).filename(),
                   " (an empty registry)") &&
      (!IsThere(data / "update.pub") ||
       (layout.Folder("keys") && layout.Copy(data / "update.pub", "keys/update.pub"))) &&
      (!database || layout.Copy(*database, kDatabase));
  if (!done) return kExitError;
  if (!database && !IsThere(store.PrefixPath() / kDatabase)) {
    std::cout << "No database at " << kDatabase.string()
              << " (give one with --database FILE, or run 'tarnsig update')\n";
  }
  std::cout << std::flush;
  return std::cout ? kExitOk : kExitError;
}

}  // namespace kv::tarnscan
