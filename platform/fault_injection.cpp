// Fault injection counters: one atomic count of armed failures per point.
#include "platform/fault_injection.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>

namespace kv {
namespace {

constexpr std::size_t kPointCount = static_cast<std::size_t>(FaultPoint::kCount);
std::array<std::atomic<int>, kPointCount> armed{};

std::atomic<int>& Counter(FaultPoint point) { return armed[static_cast<std::size_t>(point)]; }

// The errno a real failure of each kind would leave, in FaultPoint's order.
constexpr std::array<int, kPointCount> kCauses = {
    EIO,     // kRead
    EIO,     // kClose
    EPERM,   // kDelete
    EPERM,   // kSignal
    ENOSPC,  // kWrite
    EACCES,  // kCreate
    EACCES,  // kRename
    EACCES,  // kProcessList
    ENOMEM,  // kListingMemory
    EACCES,  // kQuarantineMove
    EXDEV,   // kQuarantineCrossDevice
    ENOSPC,  // kQuarantineCopy
    ENOSPC,  // kQuarantineRecord
    EIO,     // kQuarantineSync
    EIO,     // kQuarantineJournalSync
};

}  // namespace

void FailNext(FaultPoint point, int times) {
  if (times > 0) Counter(point).fetch_add(times, std::memory_order_relaxed);
}

void ClearFaults() {
  for (std::atomic<int>& counter : armed) counter.store(0, std::memory_order_relaxed);
}

ScopedFault::ScopedFault(FaultPoint point, int times) : point_(point) { FailNext(point, times); }

ScopedFault::~ScopedFault() { Counter(point_).store(0, std::memory_order_relaxed); }

bool ConsumeFault(FaultPoint point) {
  std::atomic<int>& counter = Counter(point);
  int left = counter.load(std::memory_order_relaxed);
  // Take one armed failure unless another thread took the last one first.
  while (left > 0) {
    if (counter.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      errno = kCauses[static_cast<std::size_t>(point)];
      return true;
    }
  }
  return false;
}

}  // namespace kv
