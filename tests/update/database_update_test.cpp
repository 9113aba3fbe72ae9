// The update's good endings against a real server: after the menu command's
// question, a greater version is downloaded, written, loaded and published
// while a scan's snapshot stays as it was; an equal or lower one is not
// downloaded and the "latest" box shows the server's number; the requests
// pass through a proxy given in http_proxy.
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
    const std::filesystem::path folder = prefix_.StorePath() / "Program Files" / "Quellbrin";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
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

TEST_F(DatabaseUpdateThreaded, ReadsTheVersionAsAtoiDoes) {
  const struct {
    std::string body;
    bool downloads;
    std::string box;
  } rows[] = {
      {"  150 and more", true, kSucceededBox},
      {std::string("150\0"
                   "999",
                   7),
       true, kSucceededBox},
      {std::string(10237, '0') + "150", true, kSucceededBox},  // 10240 bytes, read to the end
      {"100", false, LatestBox(100)},
      {"latest", false, LatestBox(0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.body.substr(0, 20));
    SetUp();  // the version-100 database again
    TestHttpServer server;
    server.Answer(kVersionPath, {200, row.body});
    server.Answer(kDatabasePath, {200, DatabaseFile("150", {})});
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{row.box});
    EXPECT_EQ(server.Targets().size(), row.downloads ? 2u : 1u);
    EXPECT_EQ(database_.Current()->Version(), row.downloads ? 150 : 100);
    if (!row.downloads) ExpectNothingChanged("not newer");
  }
}

TEST_F(DatabaseUpdateThreaded, TakesADatabaseOfExactlyTheBoundThroughTheProxy) {
  std::string database = DatabaseFile("300", {"[VirusFile]"});
  database.resize(10240, 'A');  // text after the last line end is no line
  TestHttpServer proxy;
  proxy.Answer(kVersionPath, {200, "300"});
  proxy.Answer(kDatabasePath, {200, database});
  environment_.Set("http_proxy", proxy.Url());
  // No such server exists: only the proxy can have answered.
  EXPECT_EQ(UpdateVirusDatabase(Context("http://update.invalid:8080")), UpdateResult::kDone);
  ExpectReplacedBy(database, 300);
  const std::vector<RecordedRequest> requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "http://update.invalid:8080/avupd/reqver.php?sys=wm");
  EXPECT_EQ(requests[1].target, "http://update.invalid:8080/avupd/reqavdb.php?sys=wm");
  for (const RecordedRequest& request : requests) {
    EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
    EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
  }
}

}  // namespace
}  // namespace kv::testing
