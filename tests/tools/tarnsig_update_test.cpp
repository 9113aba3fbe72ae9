// tarnsig update end to end: the real binary against a real server on
// 127.0.0.1, in a temporary prefix. Each row pins the exit status, the
// console box on stderr with the cause line of a failure, and the database
// file afterwards; a failure leaves the old file as it was. (The finer
// failure rows are in tests/update.)
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/database_writer.h"
#include "support/http_test_server.h"
#include "support/program_runner.h"
#include "support/scoped_environment.h"

namespace kv::testing {
namespace {

constexpr char kVersionPath[] = "/avupd/reqver.php?sys=wm";
constexpr char kDatabasePath[] = "/avupd/reqavdb.php?sys=wm";
const std::string kOld = DatabaseFile("100", {"[VirusCharacter]", CharacterLine("Old", "OLD")});
const std::string kNew = DatabaseFile("200", {"[VirusCharacter]", CharacterLine("New", "NEW")});
const std::string kSucceeded = "Information\nUpdate virus DB successfully\n[O]K\n";
const std::string kFailed = "Warning\nUpdate virus DB failed,please try again!\n[O]K\n";
const std::string kCannotConnect =
    "Warning\nUnable to connect to the website and download data!\n"
    "Please check the network connection and try again.\n[O]K\n";

class TarnsigUpdateThreaded : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies().Set("KESTRELVOX_UPDATE_KEY", std::nullopt);
    environment_.Set("KESTRELVOX_UPDATE_URL", std::nullopt);
    prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", kOld);
  }
  std::filesystem::path DatabasePath() const {
    return prefix_.StorePath() / "Program Files/Quellbrin/VirusDB.dat";
  }

  ScopedEnvironment environment_;
  ToolPrefix prefix_;
};

TEST_F(TarnsigUpdateThreaded, ExitsByTheOutcomeAndKeepsTheDatabaseOnFailure) {
  const std::optional<ScriptedAnswer> none;
  const struct {
    const char* what;
    ScriptedAnswer version;
    std::optional<ScriptedAnswer> database;
    int status;
    std::string err;
  } rows[] = {
      {"newer", {200, "200\r\n"}, ScriptedAnswer{200, kNew}, 0, kSucceeded},
      {"equal",
       {200, "100"},
       none,
       0,
       "Information\nThe virus DB is latest!\nVirus DB Version:100\n[O]K\n"},
      {"version 404",
       {404, "200"},
       none,
       1,
       kCannotConnect + "tarnsig: update: HTTP status 404 from {url}/avupd/reqver.php?sys=wm\n"},
      {"garbage database",
       {200, "200"},
       ScriptedAnswer{200, "<html>Bad gateway</html>"},
       1,
       kFailed + "tarnsig: update: database refused: its first line is not a version\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    WriteFile(DatabasePath(), kOld);
    TestHttpServer server;
    environment_.Set("KESTRELVOX_UPDATE_URL", server.Url());
    server.Answer(kVersionPath, row.version);
    if (row.database) server.Answer(kDatabasePath, *row.database);
    const RunResult result = RunTarnsig({"update"});
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.out, "");
    std::string err = row.err;
    if (const std::size_t at = err.find("{url}"); at != std::string::npos) {
      err.replace(at, 5, server.Url());
    }
    EXPECT_EQ(result.err, err);
    EXPECT_EQ(ReadFile(DatabasePath()), row.status == 0 && row.database ? kNew : kOld);
    EXPECT_EQ(server.Targets().size(), row.database ? 2u : 1u);
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
}

}  // namespace
}  // namespace kv::testing
