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

void ReportLane::Run(Report report, bool slow) {
  std::unique_lock<std::mutex> lock(mutex_);
  RethrowFailure();
  if (reports_.empty() && !running_) {
    if (slow && thread_ == nullptr) {
      auto thread = std::make_unique<EngineThread>();
      if (thread->Start([this] { Serve(); })) thread_ = std::move(thread);
    }
    if (!slow || thread_ == nullptr) {
      lock.unlock();
      report();
      return;
    }
  }
  taken_.wait(lock, [this] { return reports_.size() < kMaxQueued; });
  reports_.push_back(std::move(report));
  queued_.notify_one();
}

void ReportLane::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  taken_.wait(lock, [this] { return reports_.empty() && !running_; });
  RethrowFailure();
}

void ReportLane::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return closing_ || !reports_.empty(); });
    if (reports_.empty()) return;
    Report report = std::move(reports_.front());
    reports_.pop_front();
    running_ = true;
    lock.unlock();
    std::exception_ptr failure;
    try {
      report();
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    if (failure && !failure_) failure_ = failure;
    running_ = false;
    taken_.notify_all();
  }
}

}  // namespace kv
