// ReportLane: runs a store walk's reports (its events and removals) one
// after another, in the order they are given. A report that may wait on the
// disk, and every report after it until the lane is empty again, runs on
// the lane's own thread, so the walk goes on checking files while a
// quarantine move is synced; every other report runs at once on the
// calling thread, with no hand-over.
//
// A report may come with a `prepare` and a `finish` step. The lane's
// thread takes the reports queued by then as one run (with at most kMaxRun
// prepares among them): the first report, then every prepare in order, the
// lane's `settle` once, and then the rest in order, each report before its
// finish. So the quarantine moves of files found while the lane was busy
// share one settle's flushes, the events still come in the order given, and
// the run's first file is announced before anything of the run moves.
// A run that could take more prepares waits up to its gather window for
// them (cut short by a full run or queue, Drain, or the lane's end): found
// files come milliseconds apart, and each settle costs two flushes.
//
// Entry points: ReportLane (Run, Drain).
// The lane's thread starts with the first slow report; when the host cannot
// start it, reports run on the calling thread. At most kMaxQueued reports
// wait at once (Run then waits), so a stop is followed by at most that many
// reports of files already checked.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/engine_thread.h"

namespace kv {

class ReportLane {
 public:
  using Report = std::function<void()>;
  // Room for the reports of the files checked while a run's flushes wait
  // on the disk (a few milliseconds; small files are checked at about two
  // hundred thousand a second on two cores), so the walk goes on meanwhile.
  static constexpr std::size_t kMaxQueued = 1024;
  // A run's prepares may hold files open until it settles.
  static constexpr std::size_t kMaxRun = 32;

  // Long enough to gather the files found while one settle's flushes wait
  // on a busy disk; short enough that a found file is moved at once to a
  // person's eye.
  static constexpr std::chrono::milliseconds kGatherWindow{50};

  explicit ReportLane(Report settle = {}, std::chrono::milliseconds gather = kGatherWindow)
      : settle_(std::move(settle)), gather_(gather) {}
  // Runs every report still queued, then ends the thread; a report's
  // exception not yet rethrown is dropped (the scan is unwinding).
  ~ReportLane();
  ReportLane(const ReportLane&) = delete;
  ReportLane& operator=(const ReportLane&) = delete;

  // Runs `report` after every report given before it; `prepare` and
  // `finish` (when given) before and after its run settles. `slow`: it may
  // wait on the disk. Rethrows the first exception of a queued report.
  void Run(Report report, bool slow, Report prepare = {}, Report finish = {});

  // Waits until every report has run; rethrows as Run does.
  void Drain();

 private:
  struct Queued {
    Report report;
    Report prepare;
    Report finish;
  };

  void Serve();
  // Whether the queued reports make a run worth taking now.
  bool RunReady() const;  // under mutex_
  // Runs `run`'s steps in their order; the first exception, or null.
  std::exception_ptr RunSteps(std::vector<Queued>& run);
  void RethrowFailure();  // under mutex_

  const Report settle_;
  const std::chrono::milliseconds gather_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable taken_;
  std::deque<Queued> reports_;            // guarded by mutex_
  bool running_ = false;                  // guarded by mutex_: the thread runs a run
  std::size_t queuedPrepares_ = 0;        // guarded by mutex_
  int draining_ = 0;                      // guarded by mutex_: callers in Drain
  bool closing_ = false;                  // guarded by mutex_
  std::exception_ptr failure_;            // guarded by mutex_
  std::unique_ptr<EngineThread> thread_;  // null until a slow report
};

}  // namespace kv
