// The update's good endings against a real server: a greater version is
// downloaded, written, loaded, published and announced while a scan's
// snapshot stays as it was; an equal or lower one is not downloaded and
// the "latest" box shows the server's number; the requests pass through a
// proxy given in http_proxy; and the menu command asks first.
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
    EXPECT_EQ(database_.Current()->dbVersion, version);
    EXPECT_FALSE(connection_.IsConnected());
    const std::filesystem::path folder = prefix_.StorePath() / "Program Files" / "Quellbrin";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
  }
};

TEST_F(DatabaseUpdateThreaded, DownloadsWritesLoadsAndPublishesAGreaterVersion) {
  const std::shared_ptr<const SignatureDatabase> scanning = database_.Current();
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200\r\n"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url() + "/")), UpdateResult::kDone);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kSucceededBox});
  ExpectReplacedBy(kNewDatabase, 200);
  ASSERT_EQ(database_.Current()->fileSignatures.size(), 1u);
  EXPECT_EQ(database_.Current()->fileSignatures[0].pattern, "\\Windows\\new.exe");
  // A scan that took the old snapshot keeps it whole.
  EXPECT_EQ(scanning->dbVersion, 100);
  EXPECT_EQ(scanning->fileSignatures[0].pattern, "\\Windows\\old.exe");
  EXPECT_EQ(server.Targets(), (std::vector<std::string>{kVersionPath, kDatabasePath}));
}

TEST_F(DatabaseUpdateThreaded, ReadsTheVersionAsAtoiDoes) {
  const struct {
    std::string body;
    bool downloads;
    std::string box;
  } rows[] = {
      {"150\n", true, kSucceededBox},
      {"  150 and more", true, kSucceededBox},
      {std::string("150\0"
                   "999",
                   7),
       true, kSucceededBox},
      {std::string(10237, '0') + "150", true, kSucceededBox},  // 10240 bytes, read to the end
      {"100", false, LatestBox(100)},
      {"99\r\n", false, LatestBox(99)},
      {"-5", false, LatestBox(-5)},
      {"latest", false, LatestBox(0)},
      {"<html>200</html>", false, LatestBox(0)},
  };
  for (const auto& row : rows) {
    SetUp();  // the version-100 database again
    TestHttpServer server;
    server.Answer(kVersionPath, {200, row.body});
    server.Answer(kDatabasePath, {200, DatabaseFile("150", {})});
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone) << row.body;
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{row.box}) << row.body;
    EXPECT_EQ(server.Targets().size(), row.downloads ? 2u : 1u) << row.body;
    EXPECT_EQ(database_.Current()->dbVersion, row.downloads ? 150 : 100) << row.body;
    EXPECT_FALSE(connection_.IsConnected());
    if (!row.downloads) ExpectNothingChanged(row.body);
  }
}

TEST_F(DatabaseUpdateThreaded, TakesADatabaseOfExactlyTheBound) {
  std::string database = DatabaseFile("300", {"[VirusFile]"});
  database.resize(10240, 'A');  // text after the last line end is no line
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "300"});
  server.Answer(kDatabasePath, {200, database});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kSucceededBox});
  ExpectReplacedBy(database, 300);
}

TEST_F(DatabaseUpdateThreaded, TheLatestBoxIsAnOkBoxOwnedByTheWindowToo) {
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "100"});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].owner, &window_);
  EXPECT_EQ(boxes_.shown[0].buttons, platform::MessageButtons::kOk);
  EXPECT_EQ(boxes_.shown[0].icon, platform::MessageIcon::kWarning);
}

TEST_F(DatabaseUpdateThreaded, PassesThroughTheProxyOfTheEnvironment) {
  TestHttpServer proxy;
  proxy.Answer(kVersionPath, {200, "200"});
  proxy.Answer(kDatabasePath, {200, kNewDatabase});
  environment_.Set("http_proxy", proxy.Url());
  // No such server exists: only the proxy can have answered.
  EXPECT_EQ(UpdateVirusDatabase(Context("http://update.invalid:8080")), UpdateResult::kDone);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kSucceededBox});
  ExpectReplacedBy(kNewDatabase, 200);
  const std::vector<RecordedRequest> requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "http://update.invalid:8080/avupd/reqver.php?sys=wm");
  EXPECT_EQ(requests[1].target, "http://update.invalid:8080/avupd/reqavdb.php?sys=wm");
  for (const RecordedRequest& request : requests) {
    EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
    EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(request.Header("Pragma"), "no-cache");
  }
}

TEST_F(DatabaseUpdateThreaded, TheMenuCommandAsksFirstAndNoMeansNoUpdate) {
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  const std::string question = "Question|To update virus DB need to connect to network,continue?";

  boxes_.answers = {platform::MessageAnswer::kNo};
  OnUpdateVirusDb(Context(server.Url()));
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{question});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("answered No");

  boxes_.answers = {platform::MessageAnswer::kYes};
  OnUpdateVirusDb(Context(server.Url()));
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].buttons, platform::MessageButtons::kYesNo);
  EXPECT_EQ(boxes_.shown[0].icon, platform::MessageIcon::kQuestion);
  EXPECT_EQ(boxes_.shown[0].owner, &window_);
  EXPECT_EQ(TakeBoxes(), (std::vector<std::string>{question, kSucceededBox}));
  ExpectReplacedBy(kNewDatabase, 200);
}

}  // namespace
}  // namespace kv::testing
