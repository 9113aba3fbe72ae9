// tarnscan scan through the real binary on real folders: what each option
// reports and does, the exit statuses, the same output for any number of
// threads, links never followed, and live progress only on a terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/program_runner.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

class TarnscanScanTest : public ::testing::Test {
 protected:
  TarnscanScanTest() {
    WriteFile(dir_.File("db"), DatabaseFile("7", {CharacterLine("Evil", "EVIL-MARK")}));
    WriteFile(Tree() / "a.exe", "header EVIL-MARK");
    WriteFile(Tree() / "b.txt", "clean");
    WriteFile(Tree() / "sub/c.bin", "x EVIL-MARK x");
    WriteFile(Tree() / "sub/big.dat", std::string(5000, 'w'));
    WriteFile(dir_.File("outside.exe"), "EVIL-MARK");
    fs::create_symlink(dir_.File("outside.exe"), Tree() / "link.exe");
  }
  fs::path Tree() const { return dir_.Path() / "tree"; }
  RunResult Scan(std::vector<std::string> options) const {
    std::vector<std::string> args = {"scan", "--database", dir_.File("db"), "--no-summary"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(Tree().string());
    return RunProgram(KV_TARNSCAN_PATH, args);
  }
  std::string Line(const std::string& relative, const std::string& tail) const {
    return (Tree() / relative).string() + ": " + tail + "\n";
  }

  ToolPrefix dir_;
};

TEST_F(TarnscanScanTest, EachOptionReportsWhatItShouldWithTheExitStatus) {
  const std::string a = Line("a.exe", "FOUND Evil");
  const std::string c = Line("sub/c.bin", "FOUND Evil");
  const struct {
    std::vector<std::string> options;
    std::string out;
    int status;
  } rows[] = {
      {{}, a + c, 1},
      {{"--verbose"}, a + Line("b.txt", "OK") + Line("sub/big.dat", "OK") + c, 1},
      {{"--max-filesize", "4K"}, a + Line("sub/big.dat", "NOT CHECKED (too large)") + c, 1},
      {{"--max-filesize", "4K", "-i"}, a + c, 1},
      {{"--exclude", "*.exe", "--exclude", "*/sub"}, "", 0},
      {{"--handset-filter", "--verbose"}, a + Line("sub/big.dat", "OK"), 1},
      {{"--exclude", "*.exe", "--max-filesize", "1K"},
       Line("sub/big.dat", "NOT CHECKED (too large)") + c,
       1},
      {{"--exclude", "*.exe", "--exclude", "c.bin", "--max-filesize", "1K"},
       Line("sub/big.dat", "NOT CHECKED (too large)"),
       2},
  };
  for (const auto& row : rows) {
    const RunResult result = Scan(row.options);
    EXPECT_EQ(result.out, row.out) << ::testing::PrintToString(row.options);
    EXPECT_EQ(result.status, row.status) << ::testing::PrintToString(row.options);
  }
  EXPECT_TRUE(fs::exists(Tree() / "a.exe"));  // report only
}

TEST_F(TarnscanScanTest, OutputIsTheSameForAnyNumberOfThreads) {
  for (int i = 0; i < 30; ++i) {
    WriteFile(Tree() / ("Many/f" + std::to_string(i) + ".bin"), i % 4 == 0 ? "EVIL-MARK" : "ok");
  }
  for (const char* format : {"text", "ndjson"}) {
    const RunResult one = Scan({"--format", format, "--threads", "1", "--verbose"});
    const RunResult four = Scan({"--format", format, "--threads", "4", "--verbose"});
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(four.out, one.out) << format;
  }
  const std::string ndjson = Scan({"--format", "ndjson", "-i"}).out;
  EXPECT_NE(ndjson.find("{\"path\":\"" + (Tree() / "a.exe").string() +
                        "\",\"verdict\":\"infected\",\"signature\":{\"index\":1,\"name\":\"Evil\"},"
                        "\"reason\":null,\"action\":null,\"outcome\":null,\"size\":16,"),
            std::string::npos)
      << ndjson;
}

TEST_F(TarnscanScanTest, QuarantineAndRemoveActOnInfectedFilesOnlyAndLinksAreNeverFollowed) {
  EXPECT_EQ(Scan({"--quarantine", "-i"}).out, Line("a.exe", "FOUND Evil (quarantined)") +
                                                  Line("sub/c.bin", "FOUND Evil (quarantined)"));
  EXPECT_FALSE(fs::exists(Tree() / "a.exe"));
  EXPECT_TRUE(fs::exists(dir_.File("outside.exe")));  // behind a link: never touched
  const RunResult list = RunProgram(KV_TARNSCAN_PATH, {"quarantine", "list", "--format", "ndjson"});
  const std::string id = list.out.substr(list.out.find("\"id\":\"") + 6, 25);
  EXPECT_EQ(RunProgram(KV_TARNSCAN_PATH, {"quarantine", "restore", id}).status, 0);
  EXPECT_EQ(ReadFile(Tree() / "a.exe"), "header EVIL-MARK");  // back where it was found

  EXPECT_EQ(Scan({"--remove", "-i"}).out, Line("a.exe", "FOUND Evil (removed)"));
  EXPECT_FALSE(fs::exists(Tree() / "a.exe"));
  EXPECT_TRUE(fs::is_symlink(Tree() / "link.exe"));
}

TEST_F(TarnscanScanTest, ProgressAndSummaryGoToStandardErrorProgressOnlyOnATerminal) {
  const std::vector<std::string> args = {"scan", "--database", dir_.File("db"), Tree().string()};
  const RunResult piped = RunProgram(KV_TARNSCAN_PATH, args);
  EXPECT_TRUE(
      piped.err.starts_with("Scanned: 4 files, infected: 2, not checked: 0, actions "
                            "failed: 0, 5034 bytes, "))
      << piped.err;
  EXPECT_EQ(piped.err.find('\r'), std::string::npos);
  // Under a pseudo-terminal (script(1)) the live progress line appears.
  std::string command = "script -qec '";
  command += std::string(KV_TARNSCAN_PATH) + " scan --database " + dir_.File("db") + " " +
             Tree().string() + "' /dev/null";
  const RunResult tty = RunProgram("/bin/sh", {"-c", command});
  EXPECT_NE(tty.out.find("\r\033[K"), std::string::npos);
  EXPECT_NE(tty.out.find("Scanned: 4 files"), std::string::npos);
}

TEST_F(TarnscanScanTest, UsageErrorsAndADatabaseWithoutSignaturesExitTwo) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"scan"},
                                               {"scan", "--max-filesize", "lots", "x"},
                                               {"scan", "--threads", "0", "x"},
                                               {"scan", "--quarantine", "--remove", "x"},
                                               {"scan", "--bogus", "x"}}) {
    EXPECT_EQ(RunProgram(KV_TARNSCAN_PATH, args).status, 2) << ::testing::PrintToString(args);
  }
  WriteFile(dir_.File("empty"), "7\r\n");
  const RunResult empty =
      RunProgram(KV_TARNSCAN_PATH, {"scan", "--database", dir_.File("empty"), Tree().string()});
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err,
            "tarnscan: scan: the database holds no content signature: no file can be checked\n");
}

}  // namespace
}  // namespace kv::testing
