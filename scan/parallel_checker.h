// ParallelChecker: checks the files a walk hands it on a pool of engine
// threads, and gives their verdicts back on the walking thread in the order
// the files were handed in, so that everything a scan reports or removes
// happens in walk order, whatever the number of threads.
//
// Entry points: ParallelChecker (Submit, Finish), CheckedFile.
// The walk hands each file over to be opened by the checking thread (from
// the folder the walk listed it in, by the locks and link rules of a listed
// open); a worker, or the walking thread when it would otherwise wait,
// opens, reads and searches it and closes it, so the walking thread only
// lists and reports. The threads pass files every few microseconds, so the
// lock is taken polling first and verdicts are delivered in runs. The files
// in flight are bounded (limits.h), and so are the folders they hold open
// and the read buffers. One snapshot and one stop token are shared by every
// checking thread; each has its own matcher. While the token is paused a
// checking thread finishes the file in hand but begins none.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "database/signature_database.h"
#include "platform/engine_thread.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/store.h"
#include "scan/file_matcher.h"
#include "scan/stop_token.h"
#include "scan/verdict.h"

namespace kv {

// One file to check: opened by the checking thread with `open` (and not
// checked when over `maxBytes`), checked by its device path, or with its
// verdict known already (a path too long to open).
struct CheckedFile {
  std::u16string path;
  std::function<Result<File>()> open;
  std::uint64_t maxBytes = limits::kMaxScannedFileBytes;
  bool byPath = false;
  std::optional<Verdict> known;
};

class ParallelChecker {
 public:
  // Called on the submitting thread, in submission order.
  // `micros`: how long the worker took to read and search the file;
  // `digest`: an infected file's, when the checker keeps them, else null.
  using Deliver =
      std::function<void(std::u16string_view path, const Verdict& verdict, std::uint64_t bytes,
                         std::uint64_t micros, const ReadDigest* digest)>;

  // Checks on `threads` threads: the submitting thread and `threads` - 1
  // workers (fewer when the host cannot start them). The submitting thread
  // checks a file itself whenever it would wait for a verdict. Every
  // matcher searches the `path` way and keeps `digests`. `stop` (none:
  // never stopped) cancels the searches and pauses the workers.
  ParallelChecker(const Store& store, const SignatureDatabase& database, const StopToken* stop,
                  unsigned threads, Deliver deliver, MatchPath path = MatchPath::kFast,
                  InfectedDigest digests = InfectedDigest::kSkip);
  // Finishes, then ends the workers.
  ~ParallelChecker();
  ParallelChecker(const ParallelChecker&) = delete;
  ParallelChecker& operator=(const ParallelChecker&) = delete;

  void Submit(CheckedFile file);

  // Delivers every verdict still outstanding.
  void Finish();

 private:
  struct Result {
    std::u16string path;
    Verdict verdict;
    std::uint64_t bytes = 0;
    std::uint64_t micros = 0;
    std::optional<ReadDigest> digest;
  };

  void Work();
  // Takes the first pending file and checks it with `matcher`, unlocked.
  void CheckNextPending(std::unique_lock<std::mutex>& lock, FileMatcher& matcher);
  // Delivers the next verdict in order; while it is not there, checks a
  // pending file on this thread rather than wait, when there is one.
  void DeliverNextOrHelp(std::unique_lock<std::mutex>& lock);
  Result Check(FileMatcher& matcher, CheckedFile& file) const;
  // Delivers the results that are next in order; with `waitForOne`, first
  // waits until the next one is there.
  void DeliverReady(std::unique_lock<std::mutex>& lock, bool waitForOne);

  const Store& store_;
  const SignatureDatabase& database_;
  const StopToken* stop_;
  const CancelToken* cancel_;
  Deliver deliver_;
  MatchPath path_;
  InfectedDigest digests_;
  std::size_t maxInFlight_;

  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable resultReady_;
  std::deque<std::pair<std::uint64_t, CheckedFile>> pending_;  // guarded by mutex_
  std::map<std::uint64_t, Result> done_;                       // guarded by mutex_
  bool closing_ = false;                                       // guarded by mutex_
  std::uint64_t submitted_ = 0;                                // submitting thread only
  std::uint64_t delivered_ = 0;                                // submitting thread only
  std::vector<std::unique_ptr<EngineThread>> workers_;
  std::unique_ptr<FileMatcher> submitterMatcher_;  // the submitting thread's
};

}  // namespace kv
