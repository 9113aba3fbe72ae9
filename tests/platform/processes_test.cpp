// The handset's processes against real ones: copies of /bin/sleep started
// from inside a store and from outside it, under a prefix whose path holds
// a blank and a byte that is not UTF-8, and from another mount namespace
// where another program stands at the store file's path. Which are listed
// and under what name, which open and with what device path, and that
// Terminate kills (the test reaps its own children and reads their wait
// status). Then store programs started for real, with the arguments they
// receive.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/fault_injection.h"
#include "platform/processes.h"
#include "platform/program_start.h"
#include "platform/text.h"
#include "support/child_processes.h"
#include "support/temp_files.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

// Whether `done` comes true, polled: what it waits for is not the test's
// to wait for. Bounded only so that what never comes fails the test.
bool WaitUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 6000 && !done(); ++i) SleepMilliseconds(10);
  return done();
}

// A child running `program` (found on PATH unless it holds a "/") with
// `arguments`, by default a sleep, holding none of the test's descriptors
// (a test that dies early must not keep the runner waiting for its output);
// killed and reaped at the end unless the test reaped it.
class Child {
 public:
  explicit Child(const fs::path& program, std::vector<std::string> arguments = {"sleep", "1000"}) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t detached;
    ::posix_spawn_file_actions_init(&detached);
    for (const int fd : {0, 1, 2}) {
      ::posix_spawn_file_actions_addopen(&detached, fd, "/dev/null", O_RDWR, 0);
    }
    ::posix_spawn_file_actions_addclosefrom_np(&detached, 3);
    if (::posix_spawnp(&id_, program.c_str(), &detached, nullptr, argv.data(), environ) != 0) {
      id_ = -1;
    }
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
  int Wait() { return testing::WaitStatus(std::exchange(id_, -1)); }

 private:
  pid_t id_ = -1;
};

class ProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Result<Store> opened = Store::Open(dir_.Path() / "pre fix\xFE");
    ASSERT_TRUE(opened.Ok());
    store_ = std::move(opened.value);
    trojan_ = Install("Program Files/Tool/DemoTrojan.exe");
  }

  // Copies /bin/sleep to `relative` in the store; its host path.
  fs::path Install(const fs::path& relative) const {
    const fs::path path = store_.StorePath() / relative;
    fs::create_directories(path.parent_path());
    fs::copy_file("/bin/sleep", path);
    return path;
  }

  // `child` is listed under the leaf of `devicePath` (empty: not listed);
  // when `opens`, it opens with that path and Terminate kills it.
  void ExpectSeenAs(Child& child, std::u16string_view devicePath, bool opens) const {
    const Result<std::vector<ProcessEntry>> snapshot = TakeProcessSnapshot(store_);
    ASSERT_TRUE(snapshot.Ok());
    const std::vector<ProcessEntry>& processes = snapshot.value;
    EXPECT_TRUE(std::ranges::is_sorted(processes, {}, &ProcessEntry::id));
    const auto listed = std::ranges::find(processes, child.Id(), &ProcessEntry::id);
    EXPECT_EQ(listed == processes.end() ? u"" : listed->exeName,
              devicePath.substr(devicePath.rfind(u'\\') + 1));
    Result<ProcessHandle> handle = ProcessHandle::Open(store_, child.Id());
    EXPECT_EQ(handle.value.ExecutablePath(), opens ? devicePath : u"");
    EXPECT_EQ(handle.value.Terminate(), opens);
    if (opens) {
      const int status = child.Wait();
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }
  }

  testing::TempDir dir_;
  Store store_;
  fs::path trojan_;
};

TEST_F(ProcessesTest, WhereTheProgramLiesDecidesWhetherItIsListedOpenedAndKilled) {
  const fs::path store = store_.StorePath();
  fs::create_symlink("/bin/sleep", store / "InLink.exe");
  fs::create_symlink(trojan_, dir_.Path() / "OutLink.exe");
  // "\" + folder + "\x.exe": 255 and 256 units
  const std::string f255(255 - 7, 'f');
  const std::string f256(256 - 7, 'f');
  // what the row shows; the host path the child is started from, whether the
  // program is deleted while it runs; its device path (empty: not listed),
  // whether it opens
  // clang-format off
  const std::tuple<const char*, fs::path, bool, std::u16string, bool> rows[] = {
      {"in the store", trojan_, false, u"\\Program Files\\Tool\\DemoTrojan.exe", true},
      {"deleted while it runs", store / "Gone.exe", true, u"\\Gone.exe", true},
      {"host name that is not utf-8", store / "Bad\xFF/x.exe", false, u"\\Bad\xDCFF\\x.exe", true},
      {"a name like a deleted file's", store / "x.exe (deleted)", false, u"\\x.exe (deleted)", true},
      {"a name no device path can spell", store / "a\\b.exe", false, u"", false},
      {"through a store link to a program outside", store / "InLink.exe", false, u"", false},
      {"through an outside link into the store", dir_.Path() / "OutLink.exe", false,
       u"\\Program Files\\Tool\\DemoTrojan.exe", true},
      {"device path of 255 units", store / f255 / "x.exe", false,
       u"\\" + std::u16string(f255.begin(), f255.end()) + u"\\x.exe", true},
      {"device path of 256 units", store / f256 / "x.exe", false,
       u"\\" + std::u16string(f256.begin(), f256.end()) + u"\\x.exe", false},
  };
  // clang-format on
  for (const auto& [label, started, deleted, devicePath, opens] : rows) {
    SCOPED_TRACE(label);
    if (!fs::exists(started)) Install(fs::relative(started, store));
    Child child(started);
    ASSERT_GT(child.Id(), 0);
    ASSERT_TRUE(!deleted || fs::remove(started));
    ExpectSeenAs(child, devicePath, opens);
  }
}

// Refused signals fail Open and Terminate and leave the process alone; one
// that ends after Open counts as terminated; an ended one, an impossible id
// or a store not opened opens nothing.
TEST_F(ProcessesTest, RefusedSignalsAndEndedProcesses) {
  Child inside(trojan_);
  const int id = inside.Id();
  {
    const ScopedFault refused(FaultPoint::kSignal);
    EXPECT_EQ(ProcessHandle::Open(store_, id).cause, EPERM);  // a failure's cause
  }
  EXPECT_FALSE(ProcessHandle::Open(Store(), id).Ok());
  Result<ProcessHandle> opened = ProcessHandle::Open(store_, id);
  ASSERT_TRUE(opened.Ok());
  ProcessHandle& handle = opened.value;
  {
    const ScopedFault refused(FaultPoint::kSignal);
    EXPECT_FALSE(handle.Terminate());
  }
  int status = 0;
  EXPECT_EQ(::waitpid(id, &status, WNOHANG), 0) << "the process was ended";

  ASSERT_EQ(::kill(id, SIGTERM), 0);
  EXPECT_EQ(WTERMSIG(inside.Wait()), SIGTERM);
  ProcessHandle moved = std::move(handle);
  EXPECT_TRUE(moved.Terminate());
  for (const int ended : {id, 0, -1}) {
    Result<ProcessHandle> none = ProcessHandle::Open(store_, ended);
    EXPECT_FALSE(none.Ok()) << ended;
    EXPECT_FALSE(none.value.Terminate()) << ended;
  }
}

// Only the store's file itself makes a handset process, also when another
// mount namespace starts it: another program bind-mounted at the same host
// path in a namespace of its own reads as that path (with " (deleted)" once
// its own file is gone) but is never listed, opened or killed.
TEST_F(ProcessesTest, AnotherProgramAtTheStoreFilesPathInAnotherMountNamespaceIsNoHandsetProcess) {
  Child probe("unshare", {"unshare", "--mount", "--propagation", "private", "true"});
  if (probe.Id() <= 0 || probe.Wait() != 0) {
    GTEST_SKIP() << "unshare --mount cannot make a mount namespace here";
  }
  const fs::path evil = Install("Windows/evil.exe");
  // what runs; whether a copy of sleep from outside the store is mounted
  // over evil.exe, and whether its own file is deleted before it starts
  const std::tuple<const char*, bool, bool> rows[] = {
      {"the store's file", false, false},
      {"another program mounted at its path", true, false},
      {"another program mounted at its path, its file deleted", true, true},
  };
  int count = 0;
  for (const auto& [label, mounted, deletedFirst] : rows) {
    SCOPED_TRACE(label);
    const fs::path impostor = dir_.Path() / ("impostor" + std::to_string(++count));
    fs::copy_file("/bin/sleep", impostor);
    struct stat program {};
    ASSERT_EQ(::stat((mounted ? impostor : evil).c_str(), &program), 0);
    std::string script = "exec \"$1\" 1000";
    if (deletedFirst) script = "rm \"$0\" && " + script;
    if (mounted) script = "mount --bind \"$0\" \"$1\" && " + script;
    const std::vector<std::string> arguments = {
        "unshare", "--mount", "--propagation", "private", "sh", "-c", script, impostor, evil};
    Child child(arguments.front(), arguments);
    ASSERT_GT(child.Id(), 0);
    // The shell in between needs a moment to exec the program, known by its
    // identity since its path may be gone.
    const std::string exe = "/proc/" + std::to_string(child.Id()) + "/exe";
    struct stat running {};
    ASSERT_TRUE(WaitUntil([&] {
      return ::stat(exe.c_str(), &running) == 0 && running.st_dev == program.st_dev &&
             running.st_ino == program.st_ino;
    }));
    ExpectSeenAs(child, mounted ? u"" : u"\\Windows\\evil.exe", !mounted);
  }
}

// Starting store programs for real: a recording script in a temporary store
// writes the arguments it got, so each row of the quoting table is checked
// against what a started program actually receives. Programs that cannot
// be started give false, and a start leaves no child behind.

using Arguments = std::vector<std::string>;

Arguments SplitAtZeros(const std::string& bytes) {
  Arguments arguments;
  std::istringstream in(bytes);
  for (std::string argument; std::getline(in, argument, '\0');) arguments.push_back(argument);
  return arguments;
}

// Shell redirection that writes `path` whole or not at all, so that a
// waiting test never reads half of it.
std::string WriteWholeTo(const std::string& path) {
  return ">'" + path + ".part' && mv '" + path + ".part' '" + path + "'";
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string script =
        "#!/bin/sh\nfor argument in \"$@\"; do printf '%s\\0' \"$argument\"; done " +
        WriteWholeTo(prefix_.File("args")) + "\n";
    const fs::path recorder = prefix_.WriteStoreFile("Windows/record.exe", script);
    fs::permissions(recorder, fs::perms::owner_exec, fs::perm_options::add);
  }

  // A start leaves no child behind, running or as a zombie.
  void TearDown() override { EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD); }

  // The arguments the recording script got when started with `commandLine`.
  Arguments Recorded(std::u16string_view commandLine) {
    const fs::path record = prefix_.File("args");
    fs::remove(record);
    if (!StartStoreProgram(prefix_.Store(), u"\\Windows\\record.exe", commandLine)) {
      return {"<not started>"};
    }
    if (!WaitUntil([&] { return fs::exists(record); })) return {"<nothing recorded>"};
    return SplitAtZeros(testing::ReadFile(record));
  }

  testing::TempPrefix prefix_;
};

TEST_F(ProgramStartTest, ProgramGetsTheArgumentsOfTheWindowsRules) {
  // clang-format off
  const std::pair<std::u16string, Arguments> rows[] = {
      {u"\"\\My Documents\\a b.cab\" /nodelete", {"\\My Documents\\a b.cab", "/nodelete"}},
      {u"", {}},
      {u" \t ", {}},
      {u"  a   b\tc  ", {"a", "b", "c"}},
      {u"a\"b c\"d", {"ab cd"}},
      {u"\"\" x \"\"", {"", "x", ""}},
      {u"a\\\\b\\c", {"a\\\\b\\c"}},
      {u"a\\\"b", {"a\"b"}},
      {u"a\\\\\"b c\"", {"a\\b c"}},
      {u"a\\\\\\\"b", {"a\\\"b"}},
      {u"\"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
      {u"\"a\"\"b c\"", {"a\"b", "c"}},
      {u"\"\"\"", {"\""}},
      {u"\"\"\"\"", {"\""}},
      {u"\\\"\"x y\"", {"\"x y"}},
      {u"\"open to the end", {"open to the end"}},
      {u"trailing\\", {"trailing\\"}},
      {u"\"\\Storage Card\\Spiel \u00FC \u20AC.cab\"",
       {"\\Storage Card\\Spiel \xC3\xBC \xE2\x82\xAC.cab"}},
      {u"host\xDCFFname", {"host\xFFname"}},
      {u"lone\xD800surrogate", {"lone\xEF\xBF\xBDsurrogate"}},
  };
  // clang-format on
  for (const auto& [commandLine, expected] : rows) {
    EXPECT_EQ(Recorded(commandLine), expected) << testing::ReadFile(prefix_.File("args"));
  }
}

TEST_F(ProgramStartTest, ProgramRunsUnderItsHostPathWithNoInput) {
  const fs::path shell = prefix_.StorePath() / "Windows/shell.exe";
  fs::copy_file("/bin/sh", shell);
  const std::string record = prefix_.File("args");
  const std::string script = "cat /proc/$$/cmdline - " + WriteWholeTo(record);
  ASSERT_TRUE(StartStoreProgram(prefix_.Store(), u"\\WINDOWS\\Shell.exe",
                                u"-c \"" + std::u16string(script.begin(), script.end()) + u"\""));
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(record); }));
  // argv, then what standard input held: nothing.
  EXPECT_EQ(SplitAtZeros(testing::ReadFile(record)), (Arguments{shell.string(), "-c", script}));
}

TEST_F(ProgramStartTest, WhatCannotBeStartedGivesFalse) {
  const fs::path store = prefix_.StorePath();
  testing::WriteFile(store / "Windows/plain.exe", "#!/bin/sh\nexit 0\n");  // no execute bit
  testing::WriteFile(store / "Windows/garbage.exe", "neither a script nor a binary");
  fs::permissions(store / "Windows/garbage.exe", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_symlink(store / "Windows/record.exe", store / "Windows/link.exe");
  for (const std::u16string_view program :
       {u"\\Windows\\missing.exe", u"\\Nowhere\\record.exe", u"\\Windows\\link.exe",
        u"\\Windows\\plain.exe", u"\\Windows\\garbage.exe", u"\\Windows",
        u"\\Windows\\..\\Windows\\record.exe"}) {
    EXPECT_FALSE(StartStoreProgram(prefix_.Store(), program, u"x")) << Utf16ToUtf8(program);
  }
  EXPECT_FALSE(StartStoreProgram(prefix_.Store(), u"\\Windows\\record.exe",
                                 std::u16string(u"zero\0byte", 9)));
  EXPECT_FALSE(StartStoreProgram(Store(), u"\\Windows\\record.exe", u"x"));
  EXPECT_FALSE(fs::exists(prefix_.File("args")));
}

}  // namespace
}  // namespace kv
