// The update's good endings against a real server: the menu command asks
// first; a greater version is downloaded, written, loaded and published
// while a scan's snapshot stays as it was, and the old file is kept; an
// equal or lower one is not downloaded and the "latest" box shows the
// server's number.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/update_bench.h"

namespace kv::testing {
namespace {

using DatabaseUpdateThreaded = UpdateBench;

TEST_F(DatabaseUpdateThreaded, TheMenuCommandAsksFirstAndNoLeavesAllAsItWas) {
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200\r\n"});
  boxes_.answers = {MessageAnswer::kNo};
  OnUpdateVirusDb(Context(server.Url()));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{
                             "Question|To update virus DB need to connect to network,continue?"});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("answered No");
}

// The new database is published while a scan's snapshot stays as it was,
// and the replaced file is kept beside it for a rollback. (That a body of
// exactly the size bound is read whole is the 10240-byte version row below.)
TEST_F(DatabaseUpdateThreaded, ReplacesTheDatabaseAndKeepsTheOldOne) {
  const std::shared_ptr<const SignatureDatabase> scanning = database_.Current();
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url() + "/")), UpdateResult::kDone);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kSucceededBox});
  EXPECT_EQ(DatabaseOnDisk(), kNewDatabase);
  EXPECT_EQ(database_.Current()->FileSignatures().at(0).pattern, "\\Windows\\new.exe");
  EXPECT_EQ(scanning->FileSignatures().at(0).pattern, "\\Windows\\old.exe");  // kept whole
  EXPECT_FALSE(connection_.IsConnected());
  EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"VirusDB.dat", "VirusDB.dat.old"}));
  EXPECT_EQ(ReadFile(DatabaseFolder() / "VirusDB.dat.old"), kOldDatabase);
  EXPECT_EQ(server.Targets(), (std::vector<std::string>{kVersionPath, kDatabasePath}));
  // The server knows its clients by this agent (the rest of each request
  // is HttpGet's, tested in http_get_test.cpp).
  for (const RecordedRequest& request : server.Requests()) {
    EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
  }
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

}  // namespace
}  // namespace kv::testing
