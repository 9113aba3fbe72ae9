// EngineThread over pthreads, which let the stack size be chosen. The body
// is moved into the thread. Callers hand over bodies that catch and report
// their own failures; whatever still escapes is caught here, so that it
// cannot end the process.
#include "platform/engine_thread.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "platform/limits.h"

namespace kv {

struct EngineThread::Handle {
  pthread_t thread{};
};

namespace {

void* RunBody(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  try {
    (*body)();
  } catch (...) {
    // The last net: bodies turn their own failures into outcomes, and one
    // that still escapes must not end the whole process from here.
  }
  return nullptr;
}

}  // namespace

EngineThread::EngineThread() = default;

EngineThread::~EngineThread() { Join(); }

bool EngineThread::Start(std::function<void()> body) {
  Join();
  pthread_attr_t attributes;
  if (::pthread_attr_init(&attributes) != 0) return false;
  auto handle = std::make_unique<Handle>();
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const bool created = ::pthread_attr_setstacksize(&attributes, limits::kEngineStackBytes) == 0 &&
                       ::pthread_create(&handle->thread, &attributes, RunBody, owned.get()) == 0;
  ::pthread_attr_destroy(&attributes);
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
