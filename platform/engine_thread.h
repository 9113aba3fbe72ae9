// EngineThread: a thread with at least limits::kEngineStackBytes of stack,
// for every thread that runs the pattern engine. std::thread cannot choose
// its stack size, and the engine's depth bounds are sized for this one: on
// a smaller stack a deep but legal search could overflow it.
//
// Entry points: Start, Join (the destructor joins), RunOnEngineThread,
// UsableProcessors.
#pragma once

#include <functional>
#include <memory>

namespace kv {

class EngineThread {
 public:
  EngineThread();
  EngineThread(const EngineThread&) = delete;
  EngineThread& operator=(const EngineThread&) = delete;
  ~EngineThread();

  // Runs `body` on a new thread; false when the host cannot create one (the
  // body then never runs). A thread already started is joined first.
  [[nodiscard]] bool Start(std::function<void()> body);

  // Waits for the body to return; does nothing when no thread runs.
  void Join();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

// Runs `body` on an EngineThread and waits for it. When the host cannot make
// a thread, `body` runs on the calling thread instead: a scan on the main
// thread's stack (8 MiB by default on Linux) beats no scan at all.
void RunOnEngineThread(std::function<void()> body);

// The processors this process may run on, at least 1: its affinity mask,
// which taskset, cgroups' cpusets and container limits narrow, rather than
// every core of the machine (more workers than processors only take turns).
unsigned UsableProcessors();

}  // namespace kv
