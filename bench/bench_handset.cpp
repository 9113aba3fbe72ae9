// BenchHandset. The measured programs are started directly (RunTimed);
// the shell serves only the set-up (sync).
#include "bench/bench_handset.h"

#include <optional>
#include <sstream>
#include <utility>

#include "bench/bench_report.h"
#include "bench/timed_process.h"
#include "support/program_runner.h"

namespace kv::bench {
namespace {

constexpr const char* kDatabaseInStore = "Program Files/Quellbrin/VirusDB.dat";

std::size_t CountLines(const std::string& text, const std::string& mark) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += mark.size()) {
    ++count;
  }
  return count;
}

ProcessRun Timed(const std::string& binary, const std::vector<std::string>& args,
                 const std::filesystem::path& prefix, std::optional<int> core = {}) {
  TimedRun timed = RunTimed(binary, args, {"KESTRELVOX_PREFIX=" + prefix.string()}, core);
  ProcessRun run;
  run.seconds = timed.seconds;
  run.status = timed.status;
  run.out = std::move(timed.out);
  return run;
}

}  // namespace

BenchHandset::BenchHandset(const std::vector<synthetic::StoreFile>& files)
    : master_(root_.Path() / "master"),
      prefix_(root_.Path() / "prefix"),
      database_(root_.Path() / "VirusDB.dat"),
      patterns_(root_.Path() / "patterns.txt") {
  synthetic::WriteStore(master_, files);
  for (const synthetic::StoreFile& file : files) {
    bytes_ += file.content.size();
    relativePaths_.push_back(file.relativePath);
  }
  relativePaths_.emplace_back(kDatabaseInStore);
}

void BenchHandset::UseDatabase(const std::vector<std::string>& patterns) {
  const std::string encoded = EncodedDatabase(patterns);
  testing::WriteFile(database_, encoded);
  std::string lines;
  for (const std::string& pattern : patterns) lines += pattern + "\n";
  testing::WriteFile(patterns_, lines);
  testing::WriteFile(master_ / kDatabaseInStore, encoded);
  bytes_ = bytes_ - databaseBytes_ + encoded.size();
  databaseBytes_ = encoded.size();
  databaseChanged_ = true;
}

// A store's files are at rest on the disk, not freshly written: otherwise
// every fsync of a quarantine move would write the file's data first.
void BenchHandset::Refresh() {
  if (!copied_) {
    std::filesystem::create_directories(prefix_);
    std::filesystem::copy(master_, prefix_ / "store", std::filesystem::copy_options::recursive);
    copied_ = true;
    unsynced_ = true;
  }
  if (databaseChanged_) {
    std::filesystem::copy_file(master_ / kDatabaseInStore, prefix_ / "store" / kDatabaseInStore,
                               std::filesystem::copy_options::overwrite_existing);
    databaseChanged_ = false;
    unsynced_ = true;
  }
  if (unsynced_) (void)testing::RunProgram("sync", {});
  unsynced_ = false;
}

// Copying a large store anew takes minutes; only the files a run removed
// are put back, and the quarantine it filled is emptied.
std::size_t BenchHandset::PutBackRemoved() {
  std::size_t removed = 0;
  for (const std::filesystem::path& relative : relativePaths_) {
    if (std::filesystem::exists(prefix_ / "store" / relative)) continue;
    ++removed;
    std::filesystem::copy_file(master_ / relative, prefix_ / "store" / relative);
    unsynced_ = true;
  }
  std::filesystem::remove_all(prefix_ / "quarantine");
  return removed;
}

ProcessRun BenchHandset::Tarnwatch(bool oneCore) {
  Refresh();
  ProcessRun run = Timed(KV_TARNWATCH_PATH, {"-hideandscan"}, prefix_,
                         oneCore ? std::optional<int>(0) : std::nullopt);
  run.flagged = PutBackRemoved();
  return run;
}

ProcessRun BenchHandset::Tarnscan(const std::vector<std::string>& targets, unsigned threads) {
  std::vector<std::string> args = {"scan",
                                   "--database",
                                   database_.string(),
                                   "--threads",
                                   std::to_string(threads),
                                   "--progress=never",
                                   "--no-summary"};
  args.insert(args.end(), targets.begin(), targets.end());
  ProcessRun run = Timed(KV_TARNSCAN_PATH, args, prefix_);
  run.flagged = CountLines(run.out, ": FOUND ");
  run.failed = CountLines(run.out, ": NOT CHECKED ");
  return run;
}

ProcessRun BenchHandset::Tarnscan(unsigned threads) {
  Refresh();
  return Tarnscan({"--handset-filter", (prefix_ / "store").string()}, threads);
}

ProcessRun BenchHandset::ScanHostFile(const std::filesystem::path& file) {
  return Tarnscan({file.string()}, 1);
}

ProcessRun BenchHandset::Walker(const std::string& mode, unsigned threads) {
  Refresh();
  std::vector<std::string> args = {mode, prefix_.string()};
  if (mode == "pcre2") args.push_back(patterns_.string());
  if (threads > 1) args.push_back(std::to_string(threads));
  ProcessRun run = Timed(KV_STORE_WALKER_PATH, args, prefix_);
  std::istringstream counts(run.out);
  std::string word;
  std::size_t value = 0;
  while (counts >> word >> value) {
    if (word == "flagged") run.flagged = value;
    if (word == "failed") run.failed = value;
  }
  return run;
}

}  // namespace kv::bench
