// The whole-process benchmark's handset: a device prefix in a temporary
// folder whose store is a copy of a master store, and the real programs run
// on it as processes, timed by the wall clock from each program's start to
// its end (the thread ratio is about elapsed time).
//
// Entry points: BenchHandset (UseDatabase, Tarnwatch, Tarnscan, Walker,
// ScanHostFile), ProcessRun.
// The master store is written once and copied once; the files a tarnwatch
// run removes are put back after it, so every run sees the same files, and
// written to the disk (sync) before the next run starts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/corpus/synthetic_store.h"
#include "support/temp_files.h"

namespace kv::bench {

struct ProcessRun {
  double seconds = 0;
  int status = -1;
  std::size_t flagged = 0;  // files found infected (removed, for tarnwatch)
  std::size_t failed = 0;   // files not checked (tarnwatch: not reported; 0)
  std::string out;          // tarnscan's report lines
};

class BenchHandset {
 public:
  explicit BenchHandset(const std::vector<synthetic::StoreFile>& files);

  // The database every later run uses (in the store, as the handset keeps
  // it, and as host files for tarnscan and the walker).
  void UseDatabase(const std::vector<std::string>& patterns);

  // tarnwatch -hideandscan: on one core (pinned, as taskset would: it runs one
  // worker a core of the machine, so two threads share that core), or on
  // every core.
  ProcessRun Tarnwatch(bool oneCore);
  // tarnscan scan of the store folder with the handset's extension filter.
  ProcessRun Tarnscan(unsigned threads);
  // kv_store_walker `mode` ("read" or "pcre2"); `threads`: the readers.
  ProcessRun Walker(const std::string& mode, unsigned threads = 1);
  // tarnscan scan of one host file on one thread.
  ProcessRun ScanHostFile(const std::filesystem::path& file);

  // Bytes and files of the store the runs scan, the database included.
  std::size_t Bytes() const { return bytes_; }
  std::size_t Files() const { return relativePaths_.size(); }
  const std::filesystem::path& Root() const { return root_.Path(); }

 private:
  void Refresh();
  // Puts back the store files missing after a run; how many there were.
  std::size_t PutBackRemoved();
  ProcessRun Tarnscan(const std::vector<std::string>& targets, unsigned threads);

  testing::TempDir root_;
  std::filesystem::path master_;
  std::filesystem::path prefix_;
  std::filesystem::path database_;
  std::filesystem::path patterns_;
  std::size_t bytes_ = 0;
  std::size_t databaseBytes_ = 0;
  std::vector<std::filesystem::path> relativePaths_;  // the store's files and the database
  bool copied_ = false;
  bool databaseChanged_ = false;
  bool unsynced_ = false;  // store files written since the last sync
};

}  // namespace kv::bench
