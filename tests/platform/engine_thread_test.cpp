// The processors a scan sizes its pool by: the thread's affinity mask, so a
// run confined to one processor (taskset, a cpuset) gets one worker.
#include "platform/engine_thread.h"

#include <gtest/gtest.h>
#include <sched.h>

namespace kv {
namespace {

TEST(UsableProcessors, FollowsTheAffinityMaskDownToOne) {
  unsigned narrowed = 0;
  RunOnEngineThread([&narrowed] {
    cpu_set_t mask;
    CPU_ZERO(&mask);
    ASSERT_EQ(sched_getaffinity(0, sizeof(mask), &mask), 0);
    int first = 0;
    while (!CPU_ISSET(first, &mask)) ++first;
    CPU_ZERO(&mask);
    CPU_SET(first, &mask);
    ASSERT_EQ(sched_setaffinity(0, sizeof(mask), &mask), 0);  // this thread only
    narrowed = UsableProcessors();
  });
  EXPECT_EQ(narrowed, 1u);
}

}  // namespace
}  // namespace kv
