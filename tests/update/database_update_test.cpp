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
  boxes_.answers = {MessageAnswer::kNo};
  OnUpdateVirusDb(Context(server.Url()));
  EXPECT_EQ(TakeBoxes(),
            std::vector<std::string>{
                "Question|To update virus DB need to connect to network,continue? (Yes/No)"});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("answered No");
}

// A greater version is downloaded and installed, published while a scan's
// snapshot stays as it was, with the replaced file kept beside it for a
// rollback; an equal or lower one is not downloaded. The version answer is
// read as decimal digits, to the end of a body of the size bound.
TEST_F(DatabaseUpdateThreaded, InstallsOnlyAGreaterVersionAndKeepsTheOldFile) {
  const std::string newer = UpdateDatabase("150", "\\Windows\\new.exe");
  const struct {
    std::string body;
    bool downloads;
    std::string box;
  } rows[] = {
      {"150", true, kSucceededBox},
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
    server.Answer(kDatabasePath, {200, newer});
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url() + "/")), UpdateResult::kDone);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{row.box});
    // The server knows its clients by this agent (the rest of each request
    // is HttpGet's, tested in http_get_test.cpp).
    for (const RecordedRequest& request : server.Requests()) {
      EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
    }
    if (!row.downloads) {
      EXPECT_EQ(server.Targets().size(), 1u);
      ExpectNothingChanged("not newer");
      continue;
    }
    EXPECT_EQ(server.Targets(), (std::vector<std::string>{kVersionPath, kDatabasePath}));
    EXPECT_EQ(DatabaseOnDisk(), newer);
    EXPECT_EQ(database_.Current()->Version(), 150);
    EXPECT_EQ(oldSnapshot_->FileSignatures().at(0).pattern, "\\Windows\\old.exe");  // kept whole
    EXPECT_FALSE(connection_.IsConnected());
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"VirusDB.dat", "VirusDB.dat.old"}));
    EXPECT_EQ(KeptOnDisk(), kOldDatabase);
  }
}

}  // namespace
}  // namespace kv::testing
