// The real tarnscan init, its data folder filled from the build: a prefix on
// which tarnwatch -autocheck and the window start; a rerun that keeps
// everything; a database never replaced; no data folder, one line and 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "registry/hive.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

const std::string kDatabase = "store/Program Files/Quellbrin/VirusDB.dat";

class TarnscanInit : public ::testing::Test {
 protected:
  TarnscanInit() {
    const fs::path demo = KV_DEMO_PREFIX;
    fs::copy_file(demo / "store/Program Files/Quellbrin/mainskin.dll", data_.File("mainskin.dll"));
    fs::copy_file(demo / "store/Windows/wceload.exe", data_.File("wceload.exe"));
    fs::copy_file(demo / "keys/update.pub", data_.File("update.pub"));
  }

  RunResult Run(const char* binary, const std::vector<std::string>& args) const {
    return RunProgram(binary, args, {},
                      {"KESTRELVOX_DATA_DIR=" + data_.Path().string(), "KESTRELVOX_UI=console"});
  }

  // Every file of the prefix with its bytes.
  std::map<fs::path, std::string> Files() const {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(prefix_.Path())) {
      files[entry.path()] = entry.is_regular_file() ? ReadFile(entry.path()) : "<folder>";
    }
    return files;
  }

  // "up" when the window is still running after three seconds (then ended),
  // else "exited <status>".
  std::string StartWindow() const {
    const std::string out = data_.File("window");
    // The subshell keeps the job's "Terminated" notice off the test's output.
    const std::string command =
        "(QT_QPA_PLATFORM=offscreen " + ShellQuote(KV_TARNWATCH_PATH) +
        " </dev/null >/dev/null 2>&1 & pid=$!; sleep 3; if kill -0 $pid; then kill $pid; wait "
        "$pid; echo up; else wait $pid; echo exited $?; fi >" +
        ShellQuote(out) + ") 2>/dev/null";
    return std::system(command.c_str()) == 0 ? ReadFile(out) : "<not run>";
  }

  const TempDir data_;
  const ToolPrefix prefix_;
};

TEST_F(TarnscanInit, LaysOutAPrefixOnWhichTheAutocheckAndTheWindowStart) {
  const RunResult init = Run(KV_TARNSCAN_PATH, {"init"});
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_EQ(init.out, "Prefix " + prefix_.Path().string() +
                          "\n"
                          "Created store/Windows\n"
                          "Created store/My Documents\n"
                          "Created store/Program Files/Quellbrin\n"
                          "Copied store/Program Files/Quellbrin/mainskin.dll\n"
                          "Copied store/Windows/wceload.exe\n"
                          "Created system.reg (an empty registry)\n"
                          "Created keys\n"
                          "Copied keys/update.pub\n"
                          "No database at " +
                          kDatabase +
                          " (give one with --database FILE, or run 'tarnsig update')\n");
  EXPECT_EQ(ReadFile(HivePath(prefix_.Store())), "Windows Registry Editor Version 5.00\n\n");
  EXPECT_EQ(fs::status(prefix_.StorePath() / "Windows/wceload.exe").permissions(),
            fs::status(data_.File("wceload.exe")).permissions());

  const std::string demoDatabase = std::string(KV_DEMO_PREFIX) + "/" + kDatabase;
  const RunResult withDatabase = Run(KV_TARNSCAN_PATH, {"init", "--database", demoDatabase});
  EXPECT_EQ(withDatabase.status, 0) << withDatabase.err;
  EXPECT_TRUE(withDatabase.out.ends_with("Kept keys/update.pub (already there)\nCopied " +
                                         kDatabase + "\n"))
      << withDatabase.out;
  EXPECT_EQ(ReadFile(prefix_.Path() / kDatabase), ReadFile(demoDatabase));

  EXPECT_EQ(Run(KV_TARNWATCH_PATH, {"-autocheck"}).status, 255);
  const RunResult log = Run(KV_TARNSCAN_PATH, {"log"});
  EXPECT_TRUE(log.out.find(" Self scan started\n") < log.out.find(" Self scan finished\n"))
      << log.out;
  EXPECT_EQ(StartWindow(), "up\n");
}

TEST_F(TarnscanInit, KeepsWhatIsThereAndNeverReplacesADatabase) {
  WriteFile(prefix_.Path() / kDatabase, "the user's database");
  WriteFile(HivePath(prefix_.Store()), "the user's registry");
  const RunResult init = Run(KV_TARNSCAN_PATH, {"init"});
  EXPECT_EQ(init.status, 0) << init.err;
  EXPECT_NE(init.out.find("Kept system.reg (already there)\n"), std::string::npos) << init.out;
  EXPECT_EQ(ReadFile(HivePath(prefix_.Store())), "the user's registry");
  EXPECT_EQ(ReadFile(prefix_.Path() / kDatabase), "the user's database");
  const auto before = Files();

  const RunResult replace = Run(KV_TARNSCAN_PATH, {"init", "--database", data_.File("update.pub")});
  EXPECT_EQ(replace.status, 1);
  EXPECT_EQ(replace.out, "");
  EXPECT_EQ(replace.err, "tarnscan: init: a database is already at '" +
                             (prefix_.Path() / kDatabase).string() +
                             "'; not replaced (remove it first, or update it with 'tarnsig "
                             "update')\n");
  EXPECT_EQ(Files(), before);
}

TEST(TarnscanInitRefusal, NoDataFolderIsOneLineWithStatus2AndLaysOutNothing) {
  const TempDir empty;
  const fs::path unborn = empty.Path() / "unborn";
  const RunResult result = RunProgram(KV_TARNSCAN_PATH, {"init", unborn.string()}, {},
                                      {"KESTRELVOX_DATA_DIR=" + empty.Path().string()});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "tarnscan: init: no data folder with mainskin.dll and wceload.exe at '" +
                            empty.Path().string() +
                            "' (install Kestrelvox, or name the folder in KESTRELVOX_DATA_DIR)\n");
  EXPECT_FALSE(fs::exists(unborn));
}

}  // namespace
}  // namespace kv::testing
