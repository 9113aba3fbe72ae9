// tarnsig update end to end: the real binary against a real server on
// 127.0.0.1, in a temporary prefix. Each row pins the exit status, the
// console boxes on stderr byte for byte, the requests the server saw and
// the database file afterwards; a failure leaves the old file as it was.
// (A server that never answers is bounded by the production time-outs
// here; the short-time-out rows are in tests/update.)
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/http_test_server.h"
#include "support/scoped_environment.h"
#include "tarnsig_runner.h"

namespace kv::testing {
namespace {

using Ending = ScriptedAnswer::Ending;

constexpr char kVersionPath[] = "/avupd/reqver.php?sys=wm";
constexpr char kDatabasePath[] = "/avupd/reqavdb.php?sys=wm";
const std::string kOld = DatabaseFile("100", {"[VirusFile]", "\\Windows\\old.exe"});
const std::string kNew = DatabaseFile("200", {"[VirusFile]", "\\Windows\\new.exe"});

const std::string kSucceeded = "Information\nUpdate virus DB successfully\n[O]K\n";
const std::string kCannotConnect =
    "Warning\nUnable to connect to the website and download data!\n"
    "Please check the network connection and try again.\n[O]K\n";
const std::string kUpdateFailed = "Warning\nUpdate virus DB failed,please try again!\n[O]K\n";
std::string Latest(int version) {
  return "Information\nThe virus DB is latest!\nVirus DB Version:" + std::to_string(version) +
         "\n[O]K\n";
}

class TarnsigUpdateThreaded : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies().Set("KESTRELVOX_UPDATE_URL", server_.Url());
    prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", kOld);
  }

  std::filesystem::path DatabasePath() const {
    return prefix_.StorePath() / "Program Files" / "Quellbrin" / "VirusDB.dat";
  }

  ScopedEnvironment environment_;
  ToolPrefix prefix_;
  TestHttpServer server_;
};

TEST_F(TarnsigUpdateThreaded, ExitsByTheOutcomeAndKeepsTheDatabaseOnFailure) {
  const std::optional<ScriptedAnswer> none;
  const std::string tooLong = kNew + std::string(10240, 'A');
  const struct {
    const char* what;
    ScriptedAnswer version;
    std::optional<ScriptedAnswer> database;
    int status;
    std::string err;
    std::size_t requests;
  } rows[] = {
      // clang-format off
      {"newer", {200, "200"}, ScriptedAnswer{200, kNew}, 0, kSucceeded, 2},
      {"newer, line break after the digits", {200, "200\r\n"}, ScriptedAnswer{200, kNew}, 0,
       kSucceeded, 2},
      {"equal", {200, "100"}, none, 0, Latest(100), 1},
      {"older", {200, "50\n"}, none, 0, Latest(50), 1},
      {"version of non-digits", {200, "none"}, none, 0, Latest(0), 1},
      {"empty version", {200, ""}, none, 1,
       "Warning\nCan not get the version of virus DB,please try again!\n[O]K\n", 1},
      {"version 404", {404, "200"}, none, 1, kCannotConnect, 1},
      {"version 500", {500, "200"}, none, 1, kCannotConnect, 1},
      {"version redirect", ScriptedAnswer::Redirect(302, kDatabasePath),
       ScriptedAnswer{200, kNew}, 1, kCannotConnect, 1},
      {"database 404", {200, "200"}, ScriptedAnswer{404, kNew}, 1, kCannotConnect, 2},
      {"database 500", {200, "200"}, ScriptedAnswer{500, kNew}, 1, kCannotConnect, 2},
      {"database closed mid-body", {200, "200"},
       ScriptedAnswer{200, kNew, Ending::kCloseMidBody}, 1, kCannotConnect, 2},
      {"database over 10240 bytes", {200, "200"}, ScriptedAnswer{200, tooLong}, 1,
       kUpdateFailed, 2},
      {"garbage database", {200, "200"}, ScriptedAnswer{200, "<html>Bad gateway</html>"}, 1,
       kUpdateFailed, 2},
      // clang-format on
  };
  for (const auto& row : rows) {
    WriteFile(DatabasePath(), kOld);
    TestHttpServer server;
    environment_.Set("KESTRELVOX_UPDATE_URL", server.Url());
    server.Answer(kVersionPath, row.version);
    if (row.database) server.Answer(kDatabasePath, *row.database);
    const RunResult result = RunTarnsig({"update"});
    EXPECT_EQ(result.status, row.status) << row.what;
    EXPECT_EQ(result.out, "") << row.what;
    EXPECT_EQ(result.err, row.err) << row.what;
    EXPECT_EQ(ReadFile(DatabasePath()), row.err == kSucceeded ? kNew : kOld) << row.what;
    EXPECT_EQ(server.Targets().size(), row.requests) << row.what;
  }
}

TEST_F(TarnsigUpdateThreaded, GoesThroughTheProxyOfHttpProxy) {
  TestHttpServer proxy;
  proxy.Answer(kVersionPath, {200, "200"});
  proxy.Answer(kDatabasePath, {200, kNew});
  environment_.Set("KESTRELVOX_UPDATE_URL", "http://update.invalid").Set("http_proxy", proxy.Url());
  const RunResult result = RunTarnsig({"update"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, kSucceeded);
  EXPECT_EQ(ReadFile(DatabasePath()), kNew);
  EXPECT_EQ(proxy.Targets(),
            (std::vector<std::string>{"http://update.invalid/avupd/reqver.php?sys=wm",
                                      "http://update.invalid/avupd/reqavdb.php?sys=wm"}));
  EXPECT_TRUE(server_.Targets().empty());

  const RefusingPort refusing;
  environment_.Set("http_proxy", refusing.Url());
  WriteFile(DatabasePath(), kOld);
  const RunResult refused = RunTarnsig({"update"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, kCannotConnect);
  EXPECT_EQ(ReadFile(DatabasePath()), kOld);
}

TEST_F(TarnsigUpdateThreaded, FailsWithoutAServerOrADatabaseFolder) {
  server_.Answer(kVersionPath, {200, "200"});
  server_.Answer(kDatabasePath, {200, kNew});
  environment_.Set("KESTRELVOX_UPDATE_URL", std::nullopt);
  RunResult result = RunTarnsig({"update"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, kCannotConnect);
  EXPECT_TRUE(server_.Targets().empty());

  // A prefix without the program's folder: nothing loaded (version 0), the
  // download taken, and no folder or file made for it.
  environment_.Set("KESTRELVOX_UPDATE_URL", server_.Url());
  std::filesystem::remove_all(prefix_.StorePath() / "Program Files");
  result = RunTarnsig({"update"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, kUpdateFailed);
  EXPECT_EQ(server_.Targets().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(prefix_.StorePath() / "Program Files"));
}

TEST_F(TarnsigUpdateThreaded, RefusesArgumentsAndIsInTheHelp) {
  const RunResult result = RunTarnsig({"update", "now"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "tarnsig: update: unexpected argument 'now' (usage: tarnsig update)\n");
  EXPECT_EQ(ReadFile(DatabasePath()), kOld);
  const std::string help = RunTarnsig({"--help"}).out;
  EXPECT_NE(help.find("  update "), std::string::npos) << help;
  EXPECT_NE(help.find("$KESTRELVOX_UPDATE_URL"), std::string::npos) << help;
  EXPECT_NE(help.find("1 when the\nupdate failed"), std::string::npos) << help;
}

}  // namespace
}  // namespace kv::testing
