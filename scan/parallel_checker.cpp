// ParallelChecker. The submitting thread turns to the queue only when the
// pipeline is full: it checks a pending file itself, and waits only when
// none is left, so walking, opening and delivering overlap the workers'
// reading and searching and no core sits idle behind a hand-over.
#include "scan/parallel_checker.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "platform/limits.h"
#include "platform/spin_lock.h"

namespace kv {

ParallelChecker::ParallelChecker(const Store& store, const SignatureDatabase& database,
                                 const StopToken* stop, unsigned threads, Deliver deliver,
                                 MatchPath path, InfectedDigest digests)
    : store_(store),
      database_(database),
      stop_(stop),
      cancel_(stop != nullptr ? &stop->Cancel() : nullptr),
      deliver_(std::move(deliver)),
      path_(path),
      digests_(digests),
      maxInFlight_(std::min(limits::kFilesInFlightPerThread * std::max(threads, 1u),
                            limits::kMaxFilesInFlight)) {
  // The submitting thread is one of the `threads`: it checks files itself
  // whenever it would otherwise wait, so one thread needs no worker at all
  // and the hand-over per file is paid only for what the workers take.
  for (unsigned i = 1; i < threads; ++i) {
    auto worker = std::make_unique<EngineThread>();
    if (!worker->Start([this] { Work(); })) break;
    workers_.push_back(std::move(worker));
  }
  submitterMatcher_ = std::make_unique<FileMatcher>(store_, database_, cancel_, path_, digests_);
}

ParallelChecker::~ParallelChecker() {
  Finish();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  workReady_.notify_all();
  workers_.clear();  // joins
}

ParallelChecker::Result ParallelChecker::Check(FileMatcher& matcher, CheckedFile& file) const {
  Result result{std::move(file.path), Verdict::NotChecked(NotCheckedReason::kUnreadable), 0, 0,
                std::nullopt};
  const auto start = std::chrono::steady_clock::now();
  try {
    if (file.known) {
      result.verdict = *file.known;
    } else {
      if (file.byPath) {
        result.verdict = matcher.CheckFile(result.path);
      } else {
        kv::Result<File> opened = file.open();
        result.verdict = matcher.CheckOpenedFile(opened.status, opened.value, file.maxBytes);
      }
      result.bytes = matcher.LastFileBytes();
      result.digest = matcher.LastInfectedDigest();
    }
  } catch (const std::exception&) {
    // Not checked, as set above: a worker never ends the process.
  }
  result.micros = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                 std::chrono::steady_clock::now() - start)
                                                 .count());
  return result;
}

void ParallelChecker::CheckNextPending(std::unique_lock<std::mutex>& lock, FileMatcher& matcher) {
  auto [sequence, file] = std::move(pending_.front());
  pending_.pop_front();
  lock.unlock();
  if (stop_ != nullptr) stop_->WaitWhilePaused();
  Result result = Check(matcher, file);
  LockSpinning(lock);
  done_.emplace(sequence, std::move(result));
  resultReady_.notify_one();
}

void ParallelChecker::Work() {
  FileMatcher matcher(store_, database_, cancel_, path_, digests_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    workReady_.wait(lock, [this] { return closing_ || !pending_.empty(); });
    if (pending_.empty()) return;  // closing, and nothing left
    CheckNextPending(lock, matcher);
  }
}

void ParallelChecker::DeliverReady(std::unique_lock<std::mutex>& lock, bool waitForOne) {
  if (waitForOne) resultReady_.wait(lock, [this] { return done_.contains(delivered_); });
  std::vector<Result> ready;
  for (;;) {
    for (auto next = done_.find(delivered_); next != done_.end(); next = done_.find(delivered_)) {
      ready.push_back(std::move(next->second));
      done_.erase(next);
      ++delivered_;
    }
    if (ready.empty()) return;
    // Delivered unlocked: the caller reports and removes files meanwhile.
    lock.unlock();
    for (const Result& result : ready) {
      deliver_(result.path, result.verdict, result.bytes, result.micros,
               result.digest ? &*result.digest : nullptr);
    }
    ready.clear();
    LockSpinning(lock);
  }
}

void ParallelChecker::Submit(CheckedFile file) {
  if (workers_.empty()) {
    const Result result = Check(*submitterMatcher_, file);
    deliver_(result.path, result.verdict, result.bytes, result.micros,
             result.digest ? &*result.digest : nullptr);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_, std::defer_lock);
  LockSpinning(lock);
  pending_.emplace_back(submitted_++, std::move(file));
  workReady_.notify_one();
  DeliverReady(lock, false);
  while (submitted_ - delivered_ >= maxInFlight_) DeliverNextOrHelp(lock);
}

void ParallelChecker::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (delivered_ < submitted_) DeliverNextOrHelp(lock);
}

void ParallelChecker::DeliverNextOrHelp(std::unique_lock<std::mutex>& lock) {
  if (!done_.contains(delivered_) && !pending_.empty()) {
    CheckNextPending(lock, *submitterMatcher_);
    DeliverReady(lock, false);
  } else {
    DeliverReady(lock, true);
  }
}

}  // namespace kv
