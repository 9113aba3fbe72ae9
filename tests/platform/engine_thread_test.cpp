// The processors a scan sizes its pool by: the thread's affinity mask, so a
// run confined to one processor (taskset, a cpuset) gets one worker. A new
// thread, however it was placed to start, runs with its creator's mask.
#include "platform/engine_thread.h"

#include <gtest/gtest.h>
#include <sched.h>

namespace kv {
namespace {

cpu_set_t ThisThreadsMask() {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  EXPECT_EQ(sched_getaffinity(0, sizeof(mask), &mask), 0);
  return mask;
}

cpu_set_t MaskOfANewThread() {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  RunOnEngineThread([&mask] { mask = ThisThreadsMask(); });
  return mask;
}

TEST(UsableProcessors, FollowsTheAffinityMaskDownToOneAndNewThreadsTakeTheirCreators) {
  const cpu_set_t whole = ThisThreadsMask();
  const cpu_set_t started = MaskOfANewThread();
  EXPECT_TRUE(CPU_EQUAL(&whole, &started));
  RunOnEngineThread([] {
    cpu_set_t mask = ThisThreadsMask();
    int first = 0;
    while (!CPU_ISSET(first, &mask)) ++first;
    CPU_ZERO(&mask);
    CPU_SET(first, &mask);
    ASSERT_EQ(sched_setaffinity(0, sizeof(mask), &mask), 0);  // this thread only
    EXPECT_EQ(UsableProcessors(), 1u);
    const cpu_set_t narrowedStart = MaskOfANewThread();
    EXPECT_TRUE(CPU_EQUAL(&mask, &narrowedStart));
  });
}

}  // namespace
}  // namespace kv
