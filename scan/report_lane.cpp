// ReportLane. Order is kept by one rule: the calling thread runs a report
// itself only when nothing is queued and the lane's thread runs nothing.
#include "scan/report_lane.h"

#include <utility>

namespace kv {

ReportLane::~ReportLane() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  queued_.notify_all();
  thread_.reset();  // joins once the queue is empty
}

void ReportLane::RethrowFailure() {
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void ReportLane::Run(Report report, bool slow, Report prepare, Report finish) {
  std::unique_lock<std::mutex> lock(mutex_);
  RethrowFailure();
  if (reports_.empty() && !running_) {
    if (slow && thread_ == nullptr) {
      auto thread = std::make_unique<EngineThread>();
      if (thread->Start([this] { Serve(); })) thread_ = std::move(thread);
    }
    if (!slow || thread_ == nullptr) {
      lock.unlock();
      std::vector<Queued> run{{std::move(report), std::move(prepare), std::move(finish)}};
      if (const std::exception_ptr failure = RunSteps(run)) std::rethrow_exception(failure);
      return;
    }
  }
  taken_.wait(lock, [this] { return reports_.size() < kMaxQueued; });
  if (prepare) ++queuedPrepares_;
  reports_.push_back({std::move(report), std::move(prepare), std::move(finish)});
  // The lane's thread is woken only when this report can end its wait: a
  // wake-up costs the caller more than the queueing does.
  if (reports_.size() == 1 || RunReady()) queued_.notify_one();
}

void ReportLane::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++draining_;
  queued_.notify_one();
  taken_.wait(lock, [this] { return reports_.empty() && !running_; });
  --draining_;
  RethrowFailure();
}

bool ReportLane::RunReady() const {
  return queuedPrepares_ == 0 || queuedPrepares_ >= kMaxRun || reports_.size() >= kMaxQueued ||
         draining_ > 0 || closing_;
}

std::exception_ptr ReportLane::RunSteps(std::vector<Queued>& run) {
  std::exception_ptr first;
  const auto step = [&first](const Report& action) {
    if (!action) return;
    try {
      action();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  step(run.front().report);
  bool prepared = false;
  for (const Queued& queued : run) {
    step(queued.prepare);
    prepared = prepared || queued.prepare;
  }
  if (prepared) step(settle_);
  for (std::size_t i = 0; i < run.size(); ++i) {
    if (i > 0) step(run[i].report);
    step(run[i].finish);
  }
  return first;
}

void ReportLane::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return closing_ || !reports_.empty(); });
    if (reports_.empty()) return;
    queued_.wait_for(lock, gather_, [this] { return RunReady(); });
    // Every queued report joins the run, up to kMaxRun prepares: the files
    // found among many clean ones still share one settle.
    std::vector<Queued> run;
    std::size_t prepares = 0;
    while (!reports_.empty() && prepares < kMaxRun) {
      if (reports_.front().prepare) {
        ++prepares;
        --queuedPrepares_;
      }
      run.push_back(std::move(reports_.front()));
      reports_.pop_front();
    }
    running_ = true;
    taken_.notify_all();
    lock.unlock();
    const std::exception_ptr failure = RunSteps(run);
    lock.lock();
    if (failure && !failure_) failure_ = failure;
    running_ = false;
    taken_.notify_all();
  }
}

}  // namespace kv
