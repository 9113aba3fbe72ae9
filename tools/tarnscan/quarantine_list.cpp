// tarnscan quarantine list [--format text|ndjson]: every item of the
// quarantine with its state. Text is for people: a header, then per item
// its id, state, time, size, signature and path in columns. ndjson is for
// scripts: one object a line with the fields id, state, time, path, size,
// sha256, signature, scan_mode (and "to" for a restored item).
#include <iostream>
#include <string>

#include "platform/json_line.h"
#include "platform/quarantine.h"
#include "platform/text.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::string JsonLine(const QuarantineItem& item) {
  const QuarantineRecord& record = item.record;
  JsonObject object;
  object.Add("id", Ascii(record.id))
      .Add("state", Ascii(ItemStateName(item.state)))
      .Add("time", Ascii(record.time))
      .Add("path", record.path)
      .Add("size", record.size)
      .Add("sha256", Ascii(record.sha256))
      .Add("signature", record.signature)
      .Add("scan_mode", record.scanMode);
  if (item.state == QuarantineItemState::kRestored) object.Add("to", item.latest.to);
  return WriteJsonLine(object) + "\n";
}

std::string Column(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text + "  ";
}

std::string TextLine(const QuarantineItem& item) {
  const QuarantineRecord& record = item.record;
  return Column(record.id, 25) + Column(std::string(ItemStateName(item.state)), 11) +
         Column(record.time.empty() ? "-" : record.time, 20) +
         Column(std::to_string(record.size), 10) +
         Column(record.signature.empty() ? "-" : TerminalText(record.signature), 20) +
         (record.path.empty() ? "-" : TerminalText(record.path)) + "\n";
}

}  // namespace

int RunQuarantineList(const Verb& verb, const Args& args) {
  std::string format;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--format") return UsageError(verb, "unexpected argument '" + args[i] + "'");
    if (const int status = TakeFormat(verb, args, i, format); status != kExitOk) return status;
  }
  Store store;
  if (!OpenPrefix(store)) return kExitError;
  const Result<QuarantineListing> listed = ListQuarantine(store);
  if (!listed.Ok()) {
    return Fail(WithCause(
        "quarantine list: cannot read '" + (store.PrefixPath() / "quarantine").string() + "'",
        listed.cause));
  }
  const QuarantineListing& listing = listed.value;
  const bool json = format == "ndjson";
  std::string out = json ? ""
                         : Column("ID", 25) + Column("STATE", 11) + Column("TIME", 20) +
                               Column("SIZE", 10) + Column("SIGNATURE", 20) + "PATH\n";
  for (const QuarantineItem& item : listing.items) {
    out += json ? JsonLine(item) : TextLine(item);
  }
  std::cout << out << std::flush;
  if (listing.unreadableLines > 0) {
    Fail("quarantine list: the index holds " + std::to_string(listing.unreadableLines) +
             " line(s) that are no record",
         kExitOk);
  }
  return kExitOk;
}

}  // namespace kv::tarnscan
