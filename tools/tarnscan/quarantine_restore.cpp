// tarnscan quarantine restore ID [--to HOST-PATH]: moves an item back to
// the device path it was found at, or to a host path, never over anything
// that stands there, and records the restore.
#include <iostream>
#include <optional>

#include "platform/quarantine.h"
#include "tools/tarnscan/quarantine_reports.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

// The device path item `id` came from, for messages.
std::string StorePathOf(const Store& store, const std::string& id) {
  const Result<QuarantineListing> listing = ListQuarantine(store);
  if (listing.Ok()) {
    for (const QuarantineItem& item : listing.value.items) {
      if (item.record.id == id) return TerminalText(item.record.path);
    }
  }
  return "its place in the store";
}

}  // namespace

int RunQuarantineRestore(const Verb& verb, const Args& args) {
  std::optional<std::string> id;
  std::optional<std::filesystem::path> to;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--to") {
      if (to) return UsageError(verb, "--to given twice");
      if (i + 1 == args.size() || args[i + 1].empty()) {
        return UsageError(verb, "--to needs a host path");
      }
      to = args[++i];
    } else if (args[i].starts_with("-") || id) {
      return UsageError(verb, "unexpected argument '" + args[i] + "'");
    } else {
      id = args[i];
    }
  }
  if (!id) return UsageError(verb, "missing ID");
  Store store;
  if (!OpenPrefix(store)) return kExitError;
  const QuarantineChangeResult change = RestoreQuarantineItem(store, *id, to);
  if (change.change != QuarantineChange::kDone) {
    return ReportChangeFailure(verb, *id, change, to ? to->string() : StorePathOf(store, *id));
  }
  std::cout << "Restored " << *id << (to ? " to " + to->string() : std::string()) << "\n";
  return kExitOk;
}

}  // namespace kv::tarnscan
