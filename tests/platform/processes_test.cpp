// The handset's processes against real ones: copies of /bin/sleep started
// from inside a store and from outside it, under a prefix whose path holds
// a blank and a byte that is not UTF-8. Which are listed and under what
// name, which open and with what device path, and that Terminate kills
// (the test reaps its own children and reads their wait status).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/processes.h"
#include "support/temp_files.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

// A sleeping child started from `program`, killed and reaped at the end
// unless the test has reaped it. It holds none of the test's descriptors,
// so that a test that dies before killing it does not keep the runner
// waiting for the end of its output.
class Child {
 public:
  explicit Child(const fs::path& program) {
    char name[] = "sleep";
    char seconds[] = "1000";
    char* argv[] = {name, seconds, nullptr};
    posix_spawn_file_actions_t detached;
    ::posix_spawn_file_actions_init(&detached);
    for (const int fd : {0, 1, 2}) {
      ::posix_spawn_file_actions_addopen(&detached, fd, "/dev/null", O_RDWR, 0);
    }
    ::posix_spawn_file_actions_addclosefrom_np(&detached, 3);
    if (::posix_spawn(&id_, program.c_str(), &detached, nullptr, argv, environ) != 0) id_ = -1;
    ::posix_spawn_file_actions_destroy(&detached);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (id_ <= 0) return;
    ::kill(id_, SIGKILL);
    Wait();
  }

  int Id() const { return id_; }

  // Waits for the child to end and gives its wait status.
  int Wait() {
    int status = 0;
    while (::waitpid(id_, &status, 0) < 0 && errno == EINTR) {
    }
    id_ = -1;
    return status;
  }

 private:
  pid_t id_ = -1;
};

std::optional<ProcessEntry> Listed(const Store& store, int id) {
  std::vector<ProcessEntry> processes;
  EXPECT_TRUE(TakeProcessSnapshot(store, processes));
  EXPECT_TRUE(std::is_sorted(processes.begin(), processes.end(),
                             [](const auto& a, const auto& b) { return a.id < b.id; }));
  for (const ProcessEntry& process : processes) {
    if (process.id == id) return process;
  }
  return std::nullopt;
}

class ProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Store::Open(dir_.Path() / "pre fix\xFE", store_));
    trojan_ = Install("Program Files/Tool/DemoTrojan.exe");
  }

  // Copies /bin/sleep to `relative` in the store; its host path.
  fs::path Install(const fs::path& relative) const {
    const fs::path path = store_.StorePath() / relative;
    fs::create_directories(path.parent_path());
    fs::copy_file("/bin/sleep", path);
    return path;
  }

  testing::TempDir dir_;
  Store store_;
  fs::path trojan_;
};

TEST_F(ProcessesTest, SnapshotListsStoreProgramsOnlyByTheirFileNames) {
  Child inside(trojan_);
  Child outside("/bin/sleep");
  ASSERT_GT(inside.Id(), 0);
  ASSERT_GT(outside.Id(), 0);

  const std::optional<ProcessEntry> listed = Listed(store_, inside.Id());
  ASSERT_TRUE(listed.has_value());
  EXPECT_EQ(listed->exeName, u"DemoTrojan.exe");
  EXPECT_FALSE(Listed(store_, outside.Id()).has_value());
}

TEST_F(ProcessesTest, OpenGivesTheDevicePathAndTerminateKills) {
  Child inside(trojan_);
  ProcessHandle handle;
  ASSERT_TRUE(ProcessHandle::Open(store_, inside.Id(), handle));
  EXPECT_EQ(handle.ExecutablePath(), u"\\Program Files\\Tool\\DemoTrojan.exe");

  ASSERT_TRUE(handle.Terminate());
  const int status = inside.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

TEST_F(ProcessesTest, OpenRefusesOutsideEndedAndImpossibleProcesses) {
  Child outside("/bin/sleep");
  Child ended(trojan_);
  ASSERT_EQ(::kill(ended.Id(), SIGKILL), 0);
  const int endedId = ended.Id();
  ended.Wait();

  for (const int id : {outside.Id(), endedId, 0, -1}) {
    ProcessHandle handle;
    EXPECT_FALSE(ProcessHandle::Open(store_, id, handle)) << id;
    EXPECT_TRUE(handle.ExecutablePath().empty()) << id;
    EXPECT_FALSE(handle.Terminate()) << id;
  }
}

TEST_F(ProcessesTest, ProcessEndedAfterOpenCountsAsTerminated) {
  Child inside(trojan_);
  ProcessHandle handle;
  ASSERT_TRUE(ProcessHandle::Open(store_, inside.Id(), handle));
  ASSERT_EQ(::kill(inside.Id(), SIGTERM), 0);
  EXPECT_EQ(WTERMSIG(inside.Wait()), SIGTERM);
  EXPECT_TRUE(handle.Terminate());
}

TEST_F(ProcessesTest, StoreNotOpenedListsAndOpensNothing) {
  Child inside(trojan_);
  const Store none;
  std::vector<ProcessEntry> processes;
  EXPECT_FALSE(TakeProcessSnapshot(none, processes));
  ProcessHandle handle;
  EXPECT_FALSE(ProcessHandle::Open(none, inside.Id(), handle));
}

// An executable deleted while it runs still belongs to the handset: the
// memory scan must still be able to end it.
TEST_F(ProcessesTest, DeletedExecutableIsStillListedOpenedAndKilled) {
  Child inside(trojan_);
  ASSERT_TRUE(fs::remove(trojan_));

  const std::optional<ProcessEntry> listed = Listed(store_, inside.Id());
  ASSERT_TRUE(listed.has_value());
  EXPECT_EQ(listed->exeName, u"DemoTrojan.exe");
  ProcessHandle handle;
  ASSERT_TRUE(ProcessHandle::Open(store_, inside.Id(), handle));
  EXPECT_EQ(handle.ExecutablePath(), u"\\Program Files\\Tool\\DemoTrojan.exe");
  ASSERT_TRUE(handle.Terminate());
  EXPECT_EQ(WTERMSIG(inside.Wait()), SIGKILL);
}

TEST_F(ProcessesTest, WhereTheProgramLiesDecidesWhetherAndHowItIsListed) {
  const fs::path outsideCopy = dir_.Path() / "outside.exe";
  fs::copy_file("/bin/sleep", outsideCopy);
  fs::create_symlink(outsideCopy, store_.StorePath() / "InLink.exe");
  fs::create_symlink(trojan_, dir_.Path() / "OutLink.exe");
  // "\" + folder + "\x.exe": 255 and 256 units
  const std::string folder255(255 - 7, 'f');
  const std::string folder256(256 - 7, 'f');
  struct Row {
    const char* label;
    fs::path started;           // host path the child is started from
    std::u16string devicePath;  // empty: not listed
    bool opens;
  };
  // clang-format off
  const Row rows[] = {
      {"host name that is not utf-8", store_.StorePath() / "Bad\xFF/x.exe",
       u"\\Bad\xDCFF\\x.exe", true},
      {"a name like a deleted file's", store_.StorePath() / "x.exe (deleted)",
       u"\\x.exe (deleted)", true},
      {"a name no device path can spell", store_.StorePath() / "a\\b.exe", u"", false},
      {"through a store link to a program outside", store_.StorePath() / "InLink.exe", u"", false},
      {"through an outside link into the store", dir_.Path() / "OutLink.exe",
       u"\\Program Files\\Tool\\DemoTrojan.exe", true},
      {"device path of 255 units", store_.StorePath() / folder255 / "x.exe",
       u"\\" + std::u16string(folder255.begin(), folder255.end()) + u"\\x.exe", true},
      {"device path of 256 units", store_.StorePath() / folder256 / "x.exe",
       u"\\" + std::u16string(folder256.begin(), folder256.end()) + u"\\x.exe", false},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    if (!fs::exists(row.started)) Install(fs::relative(row.started, store_.StorePath()));
    Child child(row.started);
    ASSERT_GT(child.Id(), 0);

    const std::optional<ProcessEntry> listed = Listed(store_, child.Id());
    EXPECT_EQ(listed.has_value(), !row.devicePath.empty());
    if (listed) {
      EXPECT_EQ(listed->exeName, row.devicePath.substr(row.devicePath.rfind(u'\\') + 1));
    }
    ProcessHandle handle;
    EXPECT_EQ(ProcessHandle::Open(store_, child.Id(), handle), row.opens);
    EXPECT_EQ(handle.ExecutablePath(), row.opens ? row.devicePath : u"");
  }
}

TEST_F(ProcessesTest, RefusedSignalsFailOpenAndTerminateAndLeaveTheProcessAlone) {
  Child inside(trojan_);
  ProcessHandle handle;
  {
    const ScopedFault refused(FaultPoint::kSignal);
    EXPECT_FALSE(ProcessHandle::Open(store_, inside.Id(), handle));
  }
  ASSERT_TRUE(ProcessHandle::Open(store_, inside.Id(), handle));
  {
    const ScopedFault refused(FaultPoint::kSignal);
    EXPECT_FALSE(handle.Terminate());
  }
  int status = 0;
  EXPECT_EQ(::waitpid(inside.Id(), &status, WNOHANG), 0) << "the process was ended";

  ProcessHandle moved = std::move(handle);
  EXPECT_TRUE(moved.Terminate());
  EXPECT_EQ(WTERMSIG(inside.Wait()), SIGKILL);
}

}  // namespace
}  // namespace kv::platform
