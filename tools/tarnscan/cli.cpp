// The verb table, usage text and error reports of cli.h.
#include "tools/tarnscan/cli.h"

#include <array>
#include <cstdio>
#include <iostream>
#include <utility>

#include "platform/text.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

constexpr std::array<Verb, 7> kVerbs = {{
    {"scan", "", "[OPTIONS] PATH...", RunScan},
    {"log", "", "[--newest-first]", RunLog},
    {"report", "", "[--last | --all] [--format text|ndjson]", RunReport},
    {"quarantine", "list", "[--format text|ndjson]", RunQuarantineList},
    {"quarantine", "restore", "ID [--to HOST-PATH]", RunQuarantineRestore},
    {"quarantine", "purge", "ID | --older-than DAYS", RunQuarantinePurge},
    {"init", "", "[PREFIX] [--database FILE]", RunInit},
}};

}  // namespace

const Verb* FindVerb(const Args& args, std::size_t& used) {
  for (const Verb& verb : kVerbs) {
    if (args.empty() || args[0] != verb.name) continue;
    if (verb.subVerb.empty()) {
      used = 1;
      return &verb;
    }
    if (args.size() > 1 && args[1] == verb.subVerb) {
      used = 2;
      return &verb;
    }
  }
  return nullptr;
}

std::string VerbName(const Verb& verb) {
  return verb.subVerb.empty() ? std::string(verb.name)
                              : std::string(verb.name) + " " + std::string(verb.subVerb);
}

std::string UsageText() {
  std::string text;
  for (const Verb& verb : kVerbs) {
    text += (text.empty() ? "Usage: " : "       ");
    text += "tarnscan " + VerbName(verb) + " " + std::string(verb.arguments) + "\n";
  }
  text +=
      "       tarnscan -h | --help | --version\n"
      "Kestrelvox on the command line, for people and scripts, on the device prefix\n"
      "$KESTRELVOX_PREFIX (default ~/.kestrelvox when it exists, else\n"
      "$XDG_DATA_HOME/kestrelvox).\n"
      "\n"
      "  scan                scans host files and folders (recursively, links\n"
      "                      never followed) and reports what it finds:\n"
      "                      --database FILE, --quarantine or --remove (report\n"
      "                      only by default), --handset-filter, --max-filesize\n"
      "                      SIZE[K|M|G], --exclude GLOB, --one-file-system,\n"
      "                      --verbose, -i/--infected, --format text|ndjson,\n"
      "                      --no-summary, --progress=auto|always|never,\n"
      "                      --threads N; exit 1 found, else 2 not checked\n"
      "  log                 prints the activity log as UTF-8, one record a line,\n"
      "                      oldest first (--newest-first: the other way round);\n"
      "                      a missing log prints nothing\n"
      "  report              prints the last scan's report (--all: every scan's\n"
      "                      kept), its findings and its summary; --format\n"
      "                      ndjson prints the report's own lines\n"
      "  quarantine list     lists every item the scans removed: id, state\n"
      "                      (quarantined, missing, deleted, restored, purged,\n"
      "                      unrecorded), time (UTC), size, signature, path;\n"
      "                      --format ndjson prints one JSON object a line\n"
      "  quarantine restore  moves item ID back to where it was found in the\n"
      "                      store, or to HOST-PATH with --to; never overwrites\n"
      "  quarantine purge    deletes item ID, or every item quarantined more than\n"
      "                      DAYS days ago, for good\n"
      "  init                lays out a working prefix (PREFIX, else the default):\n"
      "                      the store's folders, the skin, the installer and an\n"
      "                      empty registry from the data folder\n"
      "                      ($KESTRELVOX_DATA_DIR, else ../share/kestrelvox beside\n"
      "                      the program), its trust key, the database FILE;\n"
      "                      keeps whatever is there\n"
      "  -h, --help          show this help and exit\n"
      "  --version           show the version and exit\n"
      "\n"
      "Exit status: 0 on success, 1 when a request is refused (no such item,\n"
      "something already at the target, its folder missing), 2 on a usage error\n"
      "or when the prefix, the log or the quarantine cannot be read or changed.\n";
  return text;
}

int Fail(std::string_view message, int status) {
  std::cerr << "tarnscan: " << EscapeControlBytes(message) << '\n';
  return status;
}

int UsageError(const Verb& verb, std::string_view problem) {
  return Fail(VerbName(verb) + ": " + std::string(problem) + " (usage: tarnscan " + VerbName(verb) +
              " " + std::string(verb.arguments) + ")");
}

int TakeFormat(const Verb& verb, const Args& args, std::size_t& i, std::string& format) {
  if (!format.empty()) return UsageError(verb, "--format given twice");
  if (i + 1 == args.size()) return UsageError(verb, "--format needs text or ndjson");
  format = args[++i];
  if (format != "text" && format != "ndjson") {
    return UsageError(verb, "unknown format '" + format + "' (text or ndjson)");
  }
  return kExitOk;
}

bool OpenPrefix(Store& store) {
  const std::filesystem::path prefix = PrefixFromEnvironment();
  Result<Store> opened = Store::Open(prefix);
  if (opened.Ok()) {
    store = std::move(opened.value);
    return true;
  }
  Fail(WithCause("cannot open the device prefix '" + prefix.string() + "'", opened.cause));
  return false;
}

std::string TerminalText(std::u16string_view text) {
  std::u16string shown(text);
  for (char16_t& unit : shown) {
    if ((unit < 0x20 && unit != u'\t') || unit == 0x7F) unit = u'\uFFFD';
  }
  return Utf16ToUtf8(shown);
}

}  // namespace kv::tarnscan
