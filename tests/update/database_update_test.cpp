// The update's good endings against a real server: after the menu command's
// question, a greater version is downloaded, written, loaded and published
// while a scan's snapshot stays as it was, and the old file is kept; an
// equal or lower one is not downloaded and the "latest" box shows the
// server's number; a database of exactly the size bound is taken.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/update_bench.h"

namespace kv::testing {
namespace {

class DatabaseUpdateThreaded : public UpdateBench {
 protected:
  void ExpectReplacedBy(const std::string& database, int version) {
    EXPECT_EQ(DatabaseOnDisk(), database);
    EXPECT_EQ(database_.Current()->Version(), version);
    EXPECT_FALSE(connection_.IsConnected());
    // The replaced one is kept beside it for a rollback, and nothing else.
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"VirusDB.dat", "VirusDB.dat.old"}));
    EXPECT_EQ(ReadFile(DatabaseFolder() / "VirusDB.dat.old"), kOldDatabase);
  }
};

TEST_F(DatabaseUpdateThreaded, TheMenuCommandAsksThenReplacesTheDatabase) {
  const std::shared_ptr<const SignatureDatabase> scanning = database_.Current();
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200\r\n"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  const std::string question = "Question|To update virus DB need to connect to network,continue?";

  boxes_.answers = {platform::MessageAnswer::kNo};
  OnUpdateVirusDb(Context(server.Url()));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].buttons, platform::MessageButtons::kYesNo);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{question});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("answered No");

  boxes_.answers = {platform::MessageAnswer::kYes};
  OnUpdateVirusDb(Context(server.Url() + "/"));
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{question, kSucceededBox}));
  ExpectReplacedBy(kNewDatabase, 200);
  EXPECT_EQ(database_.Current()->FileSignatures().at(0).pattern, "\\Windows\\new.exe");
  EXPECT_EQ(scanning->FileSignatures().at(0).pattern, "\\Windows\\old.exe");  // kept whole
  EXPECT_EQ(server.Targets(), (std::vector<std::string>{kVersionPath, kDatabasePath}));
}

TEST_F(DatabaseUpdateThreaded, ReadsTheVersionAnswerAsDecimalDigits) {
  const struct {
    std::string body;
    bool downloads;
    std::string box;
  } rows[] = {
      {"150", true, kSucceededBox},
      {"150\r\n", true, kSucceededBox},
      {std::string(10237, '0') + "150", true, kSucceededBox},  // 10240 bytes, read to the end
      {"100", false, LatestBox(100)},
      {"0\r\n", false, LatestBox(0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.body.substr(0, 20));
    SetUp();  // the version-100 database again
    std::filesystem::remove(DatabaseFolder() / "VirusDB.dat.old");
    TestHttpServer server;
    server.Answer(kVersionPath, {200, row.body});
    server.Answer(kDatabasePath, {200, UpdateDatabase("150")});
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{row.box});
    EXPECT_EQ(server.Targets().size(), row.downloads ? 2u : 1u);
    EXPECT_EQ(database_.Current()->Version(), row.downloads ? 150 : 100);
    if (!row.downloads) ExpectNothingChanged("not newer");
  }
}

TEST_F(DatabaseUpdateThreaded, TakesADatabaseOfExactlyTheBound) {
  // Whole file-signature lines fill it up to the bound: a line is 4n + 2
  // bytes for 3n plain bytes, at most 159 + 2.
  std::string database = UpdateDatabase("3000");
  const auto add = [&database](std::size_t bytes) {
    database += StoredLine(std::string((bytes - 2) / 4 * 3, 'x')) + "\r\n";
  };
  while (10240 - database.size() > 167) add(158);
  while ((10240 - database.size()) % 4 != 2 || 10240 - database.size() > 161) add(6);
  add(10240 - database.size());
  ASSERT_EQ(database.size(), 10240u);
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "3000"});
  server.Answer(kDatabasePath, {200, database});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
  ExpectReplacedBy(database, 3000);
  for (const RecordedRequest& request : server.Requests()) {
    EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
    EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
  }
}

}  // namespace
}  // namespace kv::testing
