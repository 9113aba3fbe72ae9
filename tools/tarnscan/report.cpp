// tarnscan report [--last | --all] [--format text|ndjson]: the scan reports
// of <prefix>/reports/scans.ndjson (format in log/scan_report_writer.h).
// --last (the default) shows the scan that started last, --all every scan
// the kept files hold, oldest first. Text is for people: per scan a header
// line, its findings, and its summary; ndjson prints the report's own lines
// of those scans. A scan with no end line was cut short (or still runs),
// and says so.
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/json_line.h"
#include "platform/report_file.h"
#include "platform/text.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

struct ScanReport {
  std::vector<std::string> lines;  // as written
  std::vector<JsonObject> events;
};

std::string Field(const JsonObject& event, std::string_view name) {
  if (const std::u16string* text = event.Text(name)) return TerminalText(*text);
  if (const std::uint64_t* number = event.Number(name)) return std::to_string(*number);
  return "-";
}

std::string Fields(const JsonObject& event, std::initializer_list<std::string_view> names) {
  std::string text;
  for (const std::string_view name : names) text += "  " + Field(event, name);
  return text;
}

std::string Seconds(const JsonObject& end) {
  const std::uint64_t* ms = end.Number("ms");
  if (ms == nullptr) return "-";
  return std::to_string(*ms / 1000) + "." + std::to_string(*ms % 1000 / 100) + " s";
}

std::string TextOf(const ScanReport& report) {
  std::string text;
  bool ended = false;
  for (const JsonObject& event : report.events) {
    const std::string kind = Field(event, "event");
    if (kind == "start") {
      text += "scan " + Field(event, "scan") + "  " + Field(event, "mode") + "  " +
              Field(event, "time") + "  database " + Field(event, "database_version") + " (" +
              Field(event, "character_signatures") + " content, " +
              Field(event, "file_signatures") + " file, " + Field(event, "process_signatures") +
              " process signatures)\n";
    } else if (kind == "infected" || kind == "suspect" || kind == "companion") {
      text += "  " + kind + Fields(event, {"path", "signature", "outcome", "item"}) + "\n";
    } else if (kind == "not_checked") {
      text += "  not checked" + Fields(event, {"path", "reason"}) + "\n";
    } else if (kind == "process") {
      text += "  process" + Fields(event, {"path", "name", "outcome"}) + "\n";
    } else if (kind == "no_database") {
      text += "  no database: no file could be checked\n";
    } else if (kind == "failed") {
      text += "  failed  " + Field(event, "detail") + "\n";
    } else if (kind == "stopped") {
      text += "  stopped before its end\n";
    } else if (kind == "end") {
      ended = true;
      text += "  summary: " + Field(event, "files_checked") + " files checked, " +
              Field(event, "infected") + " infected, " + Field(event, "not_checked") +
              " not checked, " + Field(event, "actions_failed") + " actions failed, " +
              Field(event, "bytes") + " bytes, " + Seconds(event) + "\n";
    }
  }
  if (!ended) text += "  (no end: the scan was cut short, or still runs)\n";
  return text;
}

}  // namespace

int RunReport(const Verb& verb, const Args& args) {
  std::string format;
  bool all = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--all" || args[i] == "--last") {
      all = args[i] == "--all";
    } else if (args[i] == "--format") {
      if (const int status = TakeFormat(verb, args, i, format); status != kExitOk) return status;
    } else {
      return UsageError(verb, "unexpected argument '" + args[i] + "'");
    }
  }
  Store store;
  if (!OpenPrefix(store)) return kExitError;
  const Result<std::vector<std::string>> lines = ReadReportLines(store, all);
  if (!lines.Ok()) {
    return Fail(WithCause("report: cannot read '" + (store.PrefixPath() / "reports").string() + "'",
                          lines.cause));
  }
  std::vector<std::string> order;  // scans by their first line
  std::map<std::string, ScanReport> scans;
  std::string last;
  std::size_t unreadable = 0;
  for (const std::string& line : lines.value) {
    std::optional<JsonObject> event = ReadJsonLine(line);
    const std::u16string* scan = event ? event->Text("scan") : nullptr;
    if (scan == nullptr) {
      ++unreadable;
      continue;
    }
    const std::string id = Utf16ToUtf8(*scan);
    if (!scans.contains(id)) order.push_back(id);
    if (Field(*event, "event") == "start") last = id;
    scans[id].lines.push_back(line);
    scans[id].events.push_back(std::move(*event));
  }
  if (!all) order = last.empty() ? std::vector<std::string>() : std::vector<std::string>{last};
  std::string out;
  for (const std::string& id : order) {
    if (format == "ndjson") {
      for (const std::string& line : scans[id].lines) out += line + "\n";
    } else {
      out += TextOf(scans[id]);
    }
  }
  std::cout << out << std::flush;
  if (unreadable > 0) {
    Fail("report: " + std::to_string(unreadable) + " line(s) of the reports are no report line",
         kExitOk);
  }
  return kExitOk;
}

}  // namespace kv::tarnscan
