// The single-instance lock file: one holder at a time, free again when the
// holder is gone, and another kind of object under its name told apart.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/temp_files.h"

namespace kv::platform {
namespace {

TEST(InstanceLock, OneHolderAtATimeAndFreeAgainAfterIt) {
  testing::TempDir dir;
  const auto file = dir.Path() / "run" / "Kestrelvox.lock";
  std::optional<InstanceLock> first(std::in_place);
  ASSERT_EQ(first->Acquire(file), LockAttempt::kAcquired);
  EXPECT_EQ(first->Acquire(file), LockAttempt::kAcquired);
  InstanceLock second;
  EXPECT_EQ(second.Acquire(file), LockAttempt::kHeld);
  EXPECT_FALSE(second.IsHeld());
  first.reset();
  EXPECT_EQ(second.Acquire(file), LockAttempt::kAcquired);
  EXPECT_TRUE(second.IsHeld());
}

TEST(InstanceLock, AFolderOrLinkUnderTheNameIsTheWrongKind) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "folder.lock");
  InstanceLock lock;
  EXPECT_EQ(lock.Acquire(dir.Path() / "folder.lock"), LockAttempt::kWrongKind);
  std::filesystem::create_symlink(dir.Path() / "elsewhere", dir.Path() / "link.lock");
  EXPECT_EQ(lock.Acquire(dir.Path() / "link.lock"), LockAttempt::kWrongKind);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "elsewhere"));
}

TEST(InstanceLock, AFolderThatCannotBeMadeFails) {
  testing::TempDir dir;
  testing::WriteFile(dir.Path() / "run", "a file where the folder goes");
  InstanceLock lock;
  EXPECT_EQ(lock.Acquire(dir.Path() / "run" / "Kestrelvox.lock"), LockAttempt::kFailed);
}

}  // namespace
}  // namespace kv::platform
