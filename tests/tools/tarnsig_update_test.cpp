// tarnsig update end to end: the real binary against a real server on
// 127.0.0.1, in a temporary prefix. Each run pins the exit status, the
// console box on stderr with the cause line of a failure, and the database
// file afterwards; a failure leaves the old file as it was. Then the signed
// update: keygen, sign and verify; an update signed with the prefix's trust
// key installed, a forged one refused with its cause; rollback and force.
// (The finer failure rows, a database already the latest, and the proxy
// the environment names, are in tests/update.)
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/program_runner.h"
#include "support/update_bench.h"

namespace kv::testing {
namespace {

const std::string kSucceeded = "Information\nUpdate virus DB successfully\n[O]K\n";

class TarnsigUpdateThreaded : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies().Set("KESTRELVOX_UPDATE_KEY", std::nullopt);
    environment_.Set("KESTRELVOX_UPDATE_URL", server_.Url());
    prefix_.WriteDatabase(kOldDatabase);
    server_.Answer(kVersionPath, {200, "200\r\n"});
    server_.Answer(kDatabasePath, {200, kNewDatabase});
  }
  std::string Key(const std::string& name) const {
    return (prefix_.Path() / "keys" / name).string();
  }

  ScopedEnvironment environment_;
  ToolPrefix prefix_;
  TestHttpServer server_;
};

TEST_F(TarnsigUpdateThreaded, ExitsByTheOutcomeAndKeepsTheDatabaseOnFailure) {
  const std::string unreachable =
      "Warning\nUnable to connect to the website and download data!\n"
      "Please check the network connection and try again.\n[O]K\n";
  const std::string cause = "tarnsig: update: HTTP status 404 from " + server_.Url() + kVersionPath;
  const struct {
    const char* what;
    ScriptedAnswer version;
    int status;
    std::string err;
    bool installs;
  } rows[] = {
      {"newer", {200, "200\r\n"}, 0, kSucceeded, true},
      {"version 404", {404, "200"}, 1, unreachable + cause + "\n", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    prefix_.WriteDatabase(kOldDatabase);
    server_.Answer(kVersionPath, row.version);
    EXPECT_EQ(RunTarnsig({"update"}), (RunResult{row.status, "", row.err}));
    EXPECT_EQ(ReadFile(prefix_.DatabasePath()), row.installs ? kNewDatabase : kOldDatabase);
  }
}

// The prefix gets a trust key, the server the new database's signature
// under it: a database the key did not sign is refused; the one it signed
// is installed, rolled back and forced.
TEST_F(TarnsigUpdateThreaded, KeygenSignVerifyAndASignedUpdate) {
  std::filesystem::create_directories(prefix_.Path() / "keys");
  ASSERT_EQ(RunTarnsig({"keygen", Key("update.key"), Key("update.pub")}).status, 0);
  EXPECT_EQ(std::filesystem::status(Key("update.key")).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  WriteFile(Key("new.dat"), kNewDatabase);
  const RunResult signature = RunTarnsig({"sign", Key("update.key"), Key("new.dat")});
  ASSERT_EQ(signature.status, 0);
  WriteFile(Key("sig"), signature.out);
  WriteFile(Key("forged.dat"), kOldDatabase);
  WriteFile(Key("bad-key"), "not a key\n");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } rows[] = {
      {{"verify", Key("update.pub"), Key("new.dat"), Key("sig")}, 0, "valid\n"},
      {{"verify", Key("update.pub"), Key("forged.dat"), Key("sig")}, 1, "invalid\n"},
      {{"verify", Key("bad-key"), Key("new.dat"), Key("sig")}, 2, ""},
      {{"keygen", Key("update.key"), Key("other.pub")}, 2, ""},
  };
  for (const auto& row : rows) {
    const RunResult result = RunTarnsig(row.args);
    EXPECT_EQ(result.status, row.status) << row.args[0] << " " << row.args[2];
    EXPECT_EQ(result.out, row.out) << row.args[2];
  }
  EXPECT_FALSE(std::filesystem::exists(Key("other.pub")));

  server_.Answer(kSignaturePath, {200, signature.out});
  server_.Answer(kDatabasePath, {200, UpdateDatabase("200", "\\forged.exe")});
  EXPECT_EQ(
      RunTarnsig({"update"}),
      (RunResult{
          1, "",
          "Warning\nUpdate virus DB failed,please try again!\n[O]K\n"
          "tarnsig: update: signature invalid: the database is not signed by the trust key\n"}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kOldDatabase);

  server_.Answer(kDatabasePath, {200, kNewDatabase});
  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  EXPECT_EQ(RunTarnsig({"update", "--rollback"}),
            (RunResult{0, "rolled back to version 100\n", ""}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kOldDatabase);

  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  // The same version again.
  EXPECT_EQ(RunTarnsig({"update", "--force"}), (RunResult{0, "", kSucceeded}));
  EXPECT_EQ(ReadFile(prefix_.DatabasePath()), kNewDatabase);
}

}  // namespace
}  // namespace kv::testing
