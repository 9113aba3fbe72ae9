// tarnscan scan [OPTIONS] PATH...: scans host files and folders (folders
// recursively, links never followed) with the prefix's database or the one
// named by --database, the same snapshot, matcher and verdicts as tarnwatch.
// Report only by default; --quarantine moves infected files into the
// prefix's quarantine, --remove deletes them.
//
// Output, in walk order whatever --threads says: "PATH: FOUND NAME" and
// "PATH: NOT CHECKED (reason)" (with --verbose also "PATH: OK"; with -i
// only the findings), or with --format ndjson one object a file: path,
// verdict (clean, infected, not_checked), signature ({index, name} or
// null), reason, action, outcome (null unless taken), size, ms. A summary
// on standard error at the end; live progress there while it is a
// terminal. Exit status: 1 when anything was found, else 2 when a file
// could not be checked or on a usage error, else 0.
#include <array>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "database/virus_database.h"
#include "platform/files.h"
#include "platform/host_name.h"
#include "platform/host_tree.h"
#include "platform/json_line.h"
#include "platform/limits.h"
#include "platform/quarantine_batch.h"
#include "platform/text.h"
#include "scan/lane_moves.h"
#include "scan/parallel_checker.h"
#include "scan/report_lane.h"
#include "scan/run_scan.h"
#include "scan/store_walk.h"
#include "tools/tarnscan/verbs.h"

namespace kv::tarnscan {
namespace {

enum class Action { kNone, kQuarantine, kRemove };
enum class Progress { kAuto, kAlways, kNever };

struct ScanOptions {
  std::vector<std::filesystem::path> paths;
  std::optional<std::filesystem::path> database;
  Action action = Action::kNone;
  bool handsetFilter = false;
  std::uint64_t maxFileSize = limits::kMaxScannedFileBytes;
  HostTreeOptions tree;
  bool verbose = false;
  bool infectedOnly = false;
  bool json = false;
  bool summary = true;
  Progress progress = Progress::kAuto;
  unsigned threads = DefaultScanThreads();
};

// "10", "64K", "5M", "1G": bytes.
std::optional<std::uint64_t> ParseSize(std::string_view text) {
  std::uint64_t unit = 1;
  if (!text.empty() && (text.back() == 'K' || text.back() == 'M' || text.back() == 'G')) {
    unit = text.back() == 'K' ? 1ULL << 10 : text.back() == 'M' ? 1ULL << 20 : 1ULL << 30;
    text.remove_suffix(1);
  }
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value * unit;
}

// The options; kExitOk, or the usage error's status after reporting it.
int ParseOptions(const Verb& verb, const Args& args, ScanOptions& options) {
  std::string format;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 == args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--format") {
      if (const int status = TakeFormat(verb, args, i, format); status != kExitOk) return status;
      options.json = format == "ndjson";
    } else if (arg == "--database" || arg == "--max-filesize" || arg == "--exclude" ||
               arg == "--threads") {
      const std::optional<std::string> given = value();
      if (!given) return UsageError(verb, arg + " needs a value");
      if (arg == "--database") options.database = *given;
      if (arg == "--exclude") options.tree.excludes.push_back(*given);
      if (arg == "--max-filesize") {
        const std::optional<std::uint64_t> size = ParseSize(*given);
        if (!size) return UsageError(verb, "--max-filesize takes bytes, or K, M or G");
        options.maxFileSize = std::min(*size, limits::kMaxScannedFileBytes);
      }
      if (arg == "--threads") {
        const std::optional<std::uint64_t> threads = ParseSize(*given);
        if (!threads || *threads == 0 || *threads > 256) {
          return UsageError(verb, "--threads takes a number from 1 to 256");
        }
        options.threads = static_cast<unsigned>(*threads);
      }
    } else if (arg.starts_with("--progress=")) {
      const std::string mode = arg.substr(11);
      if (mode != "auto" && mode != "always" && mode != "never") {
        return UsageError(verb, "--progress takes auto, always or never");
      }
      options.progress = mode == "always"  ? Progress::kAlways
                         : mode == "never" ? Progress::kNever
                                           : Progress::kAuto;
    } else if (arg == "--quarantine" || arg == "--remove") {
      if (options.action != Action::kNone)
        return UsageError(verb, "--quarantine or --remove, once");
      options.action = arg == "--quarantine" ? Action::kQuarantine : Action::kRemove;
    } else if (arg == "--handset-filter") {
      options.handsetFilter = true;
    } else if (arg == "--one-file-system") {
      options.tree.oneFileSystem = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "-i" || arg == "--infected") {
      options.infectedOnly = true;
    } else if (arg == "--no-summary") {
      options.summary = false;
    } else if (arg.starts_with("-") && arg != "-") {
      return UsageError(verb, "unknown option '" + arg + "'");
    } else {
      options.paths.emplace_back(arg);
    }
  }
  if (options.paths.empty()) return UsageError(verb, "needs at least one PATH");
  return kExitOk;
}

Result<std::shared_ptr<const SignatureDatabase>> LoadDatabase(const ScanOptions& options,
                                                              const Store& store) {
  if (!options.database) {
    return LoadVirusDatabase(store, SignatureDatabase(), options.threads).snapshot;
  }
  const Result<File> opened = File::OpenHostFile(*options.database, Sharing::kRead);
  if (!opened.Ok()) return opened.Error();
  const Result<std::string> content = opened.value.ReadAll(limits::kMaxDatabaseFileBytes);
  if (!content.Ok()) return content.Error();
  return SignatureDatabase::Build(content.value, SignatureDatabase(), options.threads);
}

// The last name of a host path.
std::string_view FileName(const std::filesystem::path& path) {
  const std::string_view whole = path.native();
  return whole.substr(whole.rfind('/') + 1);  // npos + 1: the whole
}

class HostScan {
 public:
  HostScan(const ScanOptions& options, const Store& store, const SignatureDatabase& database)
      : options_(options),
        database_(database),
        showProgress_(options.progress == Progress::kAlways ||
                      (options.progress == Progress::kAuto && StandardErrorIsTerminal())),
        quarantine_(store),
        checker_(
            noStore_, database, nullptr, options.threads,
            [this](std::u16string_view, const Verdict& verdict, std::uint64_t bytes,
                   std::uint64_t micros,
                   const ReadDigest* digest) { Report(verdict, bytes, micros, digest); },
            MatchPath::kFast,
            options.action == Action::kQuarantine ? InfectedDigest::kKeep : InfectedDigest::kSkip) {
  }

  // Hands one walked entry to the checker. The entry waits in entries_
  // until its verdict is reported: the checking thread opens it from
  // there, and the report takes its path from there, so the checker is
  // given no path.
  bool Take(const HostEntry& entry) {
    using Kind = HostEntry::Kind;
    if (entry.kind == Kind::kFile && options_.handsetFilter &&
        !PassesExtensionFilter(HostNameToDevice(FileName(entry.path)))) {
      return true;
    }
    const HostEntry& held = entries_.emplace_back(entry);  // a deque: it stays where it is
    CheckedFile file;
    switch (entry.kind) {
      case Kind::kFile:
        file.open = [&held] { return OpenWalkedFile(held, Sharing::kNone); };
        file.maxBytes = options_.maxFileSize;
        break;
      case Kind::kSpecial:
        file.known = Verdict::NotChecked(NotCheckedReason::kNotRegularFile);
        break;
      case Kind::kUnlistableFolder:
        file.known = Verdict::NotChecked(NotCheckedReason::kUnreadable);
        break;
      case Kind::kMissing:
        file.known = Verdict::NotChecked(NotCheckedReason::kAbsent);
        break;
    }
    checker_.Submit(std::move(file));
    return true;
  }

  // Waits for the last verdicts and moves, then gives the exit status.
  int Finish() {
    checker_.Finish();
    lane_.Drain();
    quarantine_.Flush();
    if (showProgress_) std::cerr << "\r\033[K" << std::flush;
    if (options_.summary) Summarize();
    if (infected_ > 0) return kExitRefused;
    return notChecked_ > 0 ? kExitError : kExitOk;
  }

 private:
  // What was done to an infected file, as the output says it.
  struct Taken {
    std::string action;
    std::string outcome;
  };

  // Reports a verdict on the lane, in walk order. An infected file's move
  // into the quarantine is reserved there and made with the others of its
  // run, and its line waits for the result.
  void Report(const Verdict& verdict, std::uint64_t bytes, std::uint64_t micros,
              const ReadDigest* digest) {
    std::filesystem::path path = std::move(entries_.front().path);
    entries_.pop_front();
    if (!verdict.IsInfected() || options_.action != Action::kQuarantine) {
      lane_.Run([this, path = std::move(path), verdict, bytes,
                 micros] { Show(path, verdict, bytes, micros, Act(path, verdict)); },
                false);
      return;
    }
    std::optional<ReadDigest> kept;
    if (digest != nullptr) kept = *digest;
    auto place = std::make_shared<std::optional<std::size_t>>();
    lane_.Run([] {}, true,
              [this, place, path, verdict, kept = std::move(kept)] {
                *place = moves_.Batch().ReserveHostFile(
                    path, {WidenAnsi(SignatureName(verdict)), u"scan", kept ? &*kept : nullptr});
              },
              [this, place, path, verdict, bytes, micros] {
                const QuarantineResult result = moves_.Result(*place);
                Show(path, verdict, bytes, micros,
                     {"quarantine", result.status == QuarantineStatus::kQuarantined ? "quarantined"
                                    : result.Removed()                              ? "deleted"
                                                                                    : "failed"});
              });
  }

  // Removes an infected file when asked to.
  Taken Act(const std::filesystem::path& path, const Verdict& verdict) const {
    if (!verdict.IsInfected() || options_.action != Action::kRemove) return {};
    return {"remove", DeleteHostFile(path) ? "removed" : "failed"};
  }

  // Counts the file and writes its line.
  void Show(const std::filesystem::path& path, const Verdict& verdict, std::uint64_t bytes,
            std::uint64_t micros, const Taken& taken) {
    if (verdict.IsInfected()) {
      ++infected_;
    } else if (verdict.IsNotChecked()) {
      ++notChecked_;
    } else {
      ++clean_;
    }
    if (taken.outcome == "failed") ++actionsFailed_;
    bytes_ += bytes;
    if (!verdict.IsNotChecked()) ++checked_;
    const std::string line =
        options_.json ? JsonLine(path, verdict, taken.action, taken.outcome, bytes, micros)
                      : TextLine(path, verdict, taken.action, taken.outcome);
    // The progress line makes way for the output, on a shared terminal.
    if (!line.empty()) {
      if (showProgress_) std::cerr << "\r\033[K" << std::flush;
      std::cout << line << std::flush;
    }
    if (showProgress_) ShowProgress(path);
  }

  const std::string& SignatureName(const Verdict& verdict) const {
    return database_.CharacterSignatures()[verdict.signature].name;
  }

  std::string TextLine(const std::filesystem::path& path, const Verdict& verdict,
                       const std::string& action, const std::string& outcome) const {
    const auto shown = [&path] { return TerminalText(HostNameToDevice(path.native())); };
    if (verdict.IsInfected()) {
      std::string line = shown() + ": FOUND " + SignatureName(verdict);
      if (!action.empty()) line += " (" + outcome + ")";
      return line + "\n";
    }
    if (options_.infectedOnly) return {};
    if (verdict.IsNotChecked()) {
      return shown() + ": NOT CHECKED (" + std::string(DescribeReason(verdict.reason)) + ")\n";
    }
    return options_.verbose ? shown() + ": OK\n" : std::string();
  }

  std::string JsonLine(const std::filesystem::path& path, const Verdict& verdict,
                       const std::string& action, const std::string& outcome, std::uint64_t bytes,
                       std::uint64_t micros) const {
    if (options_.infectedOnly && !verdict.IsInfected()) return {};
    const auto text = [](std::string_view ascii) { return WidenAnsi(ascii); };
    JsonObject line;
    line.Add("path", HostNameToDevice(path.native()));
    line.Add("verdict", verdict.IsInfected() ? u"infected"
                        : verdict.IsClean()  ? u"clean"
                                             : u"not_checked");
    if (verdict.IsInfected()) {
      JsonObject signature;
      signature.Add("index", static_cast<std::uint64_t>(verdict.signature + 1))
          .Add("name", text(SignatureName(verdict)));
      line.Add("signature", signature);
    } else {
      line.AddNull("signature");
    }
    if (verdict.IsNotChecked()) {
      line.Add("reason", text(DescribeReason(verdict.reason)));
    } else {
      line.AddNull("reason");
    }
    if (action.empty()) {
      line.AddNull("action").AddNull("outcome");
    } else {
      line.Add("action", text(action)).Add("outcome", text(outcome));
    }
    line.Add("size", bytes).Add("ms", micros / 1000);
    return WriteJsonLine(line) + "\n";
  }

  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

  void ShowProgress(const std::filesystem::path& path) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastProgress_ < std::chrono::milliseconds(100)) return;
    lastProgress_ = now;
    const double seconds = Seconds();
    std::array<char, 96> head{};
    const std::uint64_t files = checked_ + notChecked_;
    std::snprintf(head.data(), head.size(), "%llu files, %.1f MB, %.1f MB/s  ",
                  static_cast<unsigned long long>(files), static_cast<double>(bytes_) / 1e6,
                  seconds > 0 ? static_cast<double>(bytes_) / 1e6 / seconds : 0.0);
    std::string shown = TerminalText(HostNameToDevice(path.native()));
    if (shown.size() > 60) shown = "..." + shown.substr(shown.size() - 57);
    std::cerr << "\r\033[K" << head.data() << shown << std::flush;
  }

  void Summarize() const {
    const double seconds = Seconds();
    std::array<char, 256> line{};
    std::snprintf(
        line.data(), line.size(),
        "Scanned: %llu files, infected: %llu, not checked: %llu, actions failed: "
        "%llu, %llu bytes, %.2f s, %.1f MB/s\n",
        static_cast<unsigned long long>(checked_), static_cast<unsigned long long>(infected_),
        static_cast<unsigned long long>(notChecked_),
        static_cast<unsigned long long>(actionsFailed_), static_cast<unsigned long long>(bytes_),
        seconds, seconds > 0 ? static_cast<double>(bytes_) / 1e6 / seconds : 0.0);
    std::cout << std::flush;
    std::cerr << line.data() << std::flush;
  }

  const ScanOptions& options_;
  const SignatureDatabase& database_;
  const Store noStore_;  // every file is opened by the walk
  // What the lane's reports count and show, before the lane, which runs
  // the reports still queued as it goes.
  bool showProgress_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastProgress_{};
  std::uint64_t checked_ = 0;
  std::uint64_t clean_ = 0;
  std::uint64_t infected_ = 0;
  std::uint64_t notChecked_ = 0;
  std::uint64_t actionsFailed_ = 0;
  std::uint64_t bytes_ = 0;
  QuarantineBatch quarantine_;
  LaneMoves moves_{quarantine_};
  // Before checker_, whose last reports run on it.
  ReportLane lane_{[this] { moves_.Settle(); }};
  // Handed in, not yet reported; before checker_, whose threads open them.
  std::deque<HostEntry> entries_;
  ParallelChecker checker_;
};

}  // namespace

int RunScan(const Verb& verb, const Args& args) {
  ScanOptions options;
  if (const int status = ParseOptions(verb, args, options); status != kExitOk) return status;
  Store store;
  const bool needsPrefix = !options.database || options.action == Action::kQuarantine;
  if (needsPrefix && !OpenPrefix(store)) return kExitError;
  const Result<std::shared_ptr<const SignatureDatabase>> loaded = LoadDatabase(options, store);
  if (!loaded.Ok()) {
    return Fail(WithCause("scan: cannot read the database '" + options.database->string() + "'",
                          loaded.cause));
  }
  const std::shared_ptr<const SignatureDatabase>& database = loaded.value;
  if (!database->HasCharacterSignatures()) {
    return Fail("scan: the database holds no content signature: no file can be checked");
  }
  KeepUntilProcessEnds(database);
  HostScan scan(options, store, *database);
  for (const std::filesystem::path& path : options.paths) {
    (void)WalkHostTree(path, options.tree,
                       [&scan](const HostEntry& entry) { return scan.Take(entry); });
  }
  return scan.Finish();
}

}  // namespace kv::tarnscan
