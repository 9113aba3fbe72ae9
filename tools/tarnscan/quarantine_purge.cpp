// tarnscan quarantine purge ID | --older-than DAYS: deletes one item, or
// every item quarantined more than DAYS days ago, for good, and records it.
#include <charconv>
#include <chrono>
#include <iostream>
#include <optional>

#include "platform/quarantine.h"
#include "tools/tarnscan/quarantine_reports.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

bool ParseDays(const std::string& text, std::uint64_t& days) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
  // A day count beyond a million years would overflow the clock's arithmetic.
  return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
         days <= 365'000'000;
}

}  // namespace

int RunQuarantinePurge(const Verb& verb, const Args& args) {
  std::optional<std::string> id;
  std::optional<std::uint64_t> days;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--older-than") {
      std::uint64_t parsed = 0;
      if (days) return UsageError(verb, "--older-than given twice");
      if (i + 1 == args.size() || !ParseDays(args[i + 1], parsed)) {
        return UsageError(verb, "--older-than needs a number of days");
      }
      days = parsed;
      ++i;
    } else if (args[i].starts_with("-") || id) {
      return UsageError(verb, "unexpected argument '" + args[i] + "'");
    } else {
      id = args[i];
    }
  }
  if (id.has_value() == days.has_value()) return UsageError(verb, "give ID or --older-than DAYS");
  Store store;
  if (!OpenPrefix(store)) return kExitError;
  if (id) {
    const QuarantineChangeResult change = PurgeQuarantineItem(store, *id);
    if (change.change != QuarantineChange::kDone) {
      return ReportChangeFailure(verb, *id, change, "");
    }
    std::cout << "Purged " << *id << "\n";
    return kExitOk;
  }
  const QuarantinePurge purge =
      PurgeQuarantineOlderThan(store, *days, std::chrono::system_clock::now());
  const bool failed = purge.result.change != QuarantineChange::kDone;
  // A purge that failed before any item says only that it failed.
  if (purge.purged > 0 || !failed) {
    std::cout << "Purged " << purge.purged << (purge.purged == 1 ? " item" : " items") << "\n";
  }
  if (failed) {
    return Fail(WithCause("quarantine purge: some items could not be purged", purge.result.cause));
  }
  return kExitOk;
}

}  // namespace kv::tarnscan
