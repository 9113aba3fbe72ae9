// The signed update end to end, with the real binary: keygen, sign and
// verify; an update signed with the prefix's trust key installed, a forged
// one refused with its cause; rollback and force. (The other refusals are
// in tests/update.)
#include <gtest/gtest.h>

#include <filesystem>
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
constexpr char kSignaturePath[] = "/avupd/reqavdb.php?sys=wm&sig=ed25519";
const std::string kOld = DatabaseFile("100", {"[VirusCharacter]", CharacterLine("Old", "OLD")});
const std::string kNew = DatabaseFile("200", {"[VirusCharacter]", CharacterLine("New", "NEW")});
const std::string kSucceeded = "Information\nUpdate virus DB successfully\n[O]K\n";
const std::string kFailed = "Warning\nUpdate virus DB failed,please try again!\n[O]K\n";

class TarnsigSignedUpdateThreaded : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies().Set("KESTRELVOX_UPDATE_KEY", std::nullopt);
    environment_.Set("KESTRELVOX_UPDATE_URL", server_.Url());
    prefix_.WriteStoreFile("Program Files/Quellbrin/VirusDB.dat", kOld);
    std::filesystem::create_directories(prefix_.Path() / "keys");
    ASSERT_EQ(RunTarnsig({"keygen", Key("update.key"), Key("update.pub")}).status, 0);
    WriteFile(Key("new.dat"), kNew);
    const RunResult signature = RunTarnsig({"sign", Key("update.key"), Key("new.dat")});
    ASSERT_EQ(signature.status, 0);
    signature_ = signature.out;
    server_.Answer(kVersionPath, {200, "200\r\n"});
    server_.Answer(kDatabasePath, {200, kNew});
    server_.Answer(kSignaturePath, {200, signature_});
  }
  std::string Key(const std::string& name) const {
    return (prefix_.Path() / "keys" / name).string();
  }
  std::string DatabaseOnDisk() const {
    return ReadFile(prefix_.StorePath() / "Program Files/Quellbrin/VirusDB.dat");
  }

  ScopedEnvironment environment_;
  ToolPrefix prefix_;
  TestHttpServer server_;
  std::string signature_;
};

TEST_F(TarnsigSignedUpdateThreaded, KeygenSignAndVerify) {
  EXPECT_EQ(std::filesystem::status(Key("update.key")).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(signature_.size(), 89u);  // 88 Base64 characters and LF
  WriteFile(Key("sig"), signature_);
  WriteFile(Key("forged.dat"), kOld);
  WriteFile(Key("bad-key"), "not a key\n");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } rows[] = {
      {{"verify", Key("update.pub"), Key("new.dat"), Key("sig")}, 0, "valid\n"},
      {{"verify", Key("update.pub"), Key("forged.dat"), Key("sig")}, 1, "invalid\n"},
      {{"verify", Key("update.pub"), Key("new.dat"), Key("bad-key")}, 1, "invalid\n"},
      {{"verify", Key("bad-key"), Key("new.dat"), Key("sig")}, 2, ""},
      {{"verify", Key("update.pub"), Key("missing"), Key("sig")}, 2, ""},
      {{"keygen", Key("update.key"), Key("other.pub")}, 2, ""},
  };
  for (const auto& row : rows) {
    const RunResult result = RunTarnsig(row.args);
    EXPECT_EQ(result.status, row.status) << row.args[0] << " " << row.args[2];
    EXPECT_EQ(result.out, row.out) << row.args[2];
  }
  EXPECT_FALSE(std::filesystem::exists(Key("other.pub")));
}

TEST_F(TarnsigSignedUpdateThreaded, InstallsOnlyWhatTheTrustKeySigned) {
  const struct {
    const char* what;
    std::string database;
    ScriptedAnswer signature;
    std::string err;
  } rows[] = {
      {"forged",
       DatabaseFile("200", {"[VirusCharacter]", CharacterLine("F", "F")}),
       {200, signature_},
       kFailed + "tarnsig: update: signature invalid: the database is not signed by the trust "
                 "key\n"},
      {"signed", kNew, {200, signature_}, kSucceeded},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    server_.Answer(kDatabasePath, {200, row.database});
    server_.Answer(kSignaturePath, row.signature);
    const RunResult result = RunTarnsig({"update"});
    EXPECT_EQ(result.status, row.err == kSucceeded ? 0 : 1);
    EXPECT_EQ(result.err, row.err);
    EXPECT_EQ(DatabaseOnDisk(), row.err == kSucceeded ? kNew : kOld);
  }
}

TEST_F(TarnsigSignedUpdateThreaded, RollbackAndForce) {
  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  RunResult result = RunTarnsig({"update", "--rollback"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "rolled back to version 100\n");
  EXPECT_EQ(DatabaseOnDisk(), kOld);

  ASSERT_EQ(RunTarnsig({"update"}).status, 0);
  result = RunTarnsig({"update", "--force"});  // the same version again
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, kSucceeded);
  EXPECT_EQ(DatabaseOnDisk(), kNew);
  result = RunTarnsig({"update", "--rollback"});
  EXPECT_EQ(result.out, "rolled back to version 200\n");  // the copy the forced install kept

  std::filesystem::remove(prefix_.StorePath() / "Program Files/Quellbrin/VirusDB.dat.old");
  result = RunTarnsig({"update", "--rollback"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "tarnsig: update: no previous database (VirusDB.dat.old) to restore\n");
}

}  // namespace
}  // namespace kv::testing
