// EngineThread over pthreads, which let the stack size be chosen. The body
// is moved into the thread. Callers hand over bodies that catch and report
// their own failures; whatever still escapes is caught here, so that it
// cannot end the process.
//
// A new thread starts on a processor other than its creator's when it may
// run on another: the kernel queues it behind its creator otherwise, and on
// some hosts the idle processor takes it over only a scheduler slice (about
// 3 ms) later, a slice a scan's pool or a database's compile lose on every
// start. Its first act is to take back its creator's whole mask.
#include "platform/engine_thread.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <optional>
#include <thread>
#include <utility>

#include "platform/limits.h"

namespace kv {

struct EngineThread::Handle {
  pthread_t thread{};
};

namespace {

struct ThreadStart {
  std::function<void()> body;
  std::optional<cpu_set_t> creatorMask;  // to take back, when it started elsewhere
};

// The creator's mask without the processor it runs on, when that leaves any.
std::optional<cpu_set_t> ElsewhereMask(cpu_set_t& creatorMask) {
  CPU_ZERO(&creatorMask);
  const int current = ::sched_getcpu();
  if (current < 0 || current >= CPU_SETSIZE ||
      ::sched_getaffinity(0, sizeof(creatorMask), &creatorMask) != 0 ||
      CPU_COUNT(&creatorMask) < 2 || !CPU_ISSET(current, &creatorMask)) {
    return std::nullopt;
  }
  cpu_set_t elsewhere = creatorMask;
  CPU_CLR(current, &elsewhere);
  return elsewhere;
}

void* RunBody(void* argument) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
  if (start->creatorMask) {
    // A refusal leaves it where it started, which only narrows its choice.
    (void)::pthread_setaffinity_np(::pthread_self(), sizeof(cpu_set_t), &*start->creatorMask);
  }
  try {
    start->body();
  } catch (...) {
    // The last net: bodies turn their own failures into outcomes, and one
    // that still escapes must not end the whole process from here.
  }
  return nullptr;
}

// Creates the thread, on another processor than this one's when `elsewhere`
// is given.
bool CreateThread(pthread_t& thread, ThreadStart& start, const cpu_set_t* elsewhere) {
  pthread_attr_t attributes;
  if (::pthread_attr_init(&attributes) != 0) return false;
  const bool created =
      ::pthread_attr_setstacksize(&attributes, limits::kEngineStackBytes) == 0 &&
      (elsewhere == nullptr ||
       ::pthread_attr_setaffinity_np(&attributes, sizeof(cpu_set_t), elsewhere) == 0) &&
      ::pthread_create(&thread, &attributes, RunBody, &start) == 0;
  ::pthread_attr_destroy(&attributes);
  return created;
}

}  // namespace

EngineThread::EngineThread() = default;

EngineThread::~EngineThread() { Join(); }

bool EngineThread::Start(std::function<void()> body) {
  Join();
  auto handle = std::make_unique<Handle>();
  auto owned = std::make_unique<ThreadStart>(ThreadStart{std::move(body), std::nullopt});
  cpu_set_t creatorMask;
  bool created = false;
  if (const std::optional<cpu_set_t> elsewhere = ElsewhereMask(creatorMask)) {
    owned->creatorMask = creatorMask;
    created = CreateThread(handle->thread, *owned, &*elsewhere);
  }
  if (!created) {
    // A mask the host will not take costs only the head start.
    owned->creatorMask.reset();
    created = CreateThread(handle->thread, *owned, nullptr);
  }
  if (!created) return false;
  static_cast<void>(owned.release());  // the thread owns it now
  handle_ = std::move(handle);
  return true;
}

void EngineThread::Join() {
  if (handle_ == nullptr) return;
  ::pthread_join(handle_->thread, nullptr);
  handle_.reset();
}

void RunOnEngineThread(std::function<void()> body) {
  EngineThread thread;
  // Start moves `body` only once the thread exists, so it is still here
  // when it fails.
  if (!thread.Start(body)) body();
}

unsigned UsableProcessors() {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (sched_getaffinity(0, sizeof(mask), &mask) == 0 && CPU_COUNT(&mask) > 0) {
    return static_cast<unsigned>(CPU_COUNT(&mask));
  }
  // A mask wider than cpu_set_t (over 1024 processors) or a refusal.
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace kv
