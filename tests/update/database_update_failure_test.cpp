// Every way the update can fail, against a real server: each row's box
// (owned by the window), the failed result, and the old database still on
// disk byte for byte and still the published snapshot, with the connection
// given back.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/update_bench.h"

namespace kv::testing {
namespace {

using Ending = ScriptedAnswer::Ending;
using platform::FaultPoint;

class DatabaseUpdateFailureThreaded : public UpdateBench {
 protected:
  void ExpectFails(const std::string& server, const std::vector<std::string>& boxes,
                   const platform::HttpTimeouts& timeouts = kPatient) {
    EXPECT_EQ(UpdateVirusDatabase(Context(server, timeouts)), UpdateResult::kFailed);
    for (const ShownBox& box : boxes_.shown) EXPECT_EQ(box.owner, &window_);
    EXPECT_EQ(TakeBoxes(), boxes);
    ExpectNothingChanged(server);
  }
};

TEST_F(DatabaseUpdateFailureThreaded, EveryFailureKeepsTheOldDatabase) {
  const std::string tooLong = "200\r\n" + std::string(10236, 'A');  // 10241 bytes
  const ScriptedAnswer v200{200, "200"};
  const struct {
    const char* what;
    ScriptedAnswer version;
    std::optional<ScriptedAnswer> database;
    std::string box;
    platform::HttpTimeouts timeouts = kPatient;
    std::optional<FaultPoint> fault = std::nullopt;
  } rows[] = {
      {"no version", {200, ""}, std::nullopt, kNoVersionBox},
      {"version: 500", {500, "200"}, std::nullopt, kCannotConnectBox},
      {"version: too long", {200, std::string(10241, '2')}, std::nullopt, kUpdateFailedBox},
      {"version: closed mid-body",
       {200, "2000000", Ending::kCloseMidBody},
       std::nullopt,
       kCannotConnectBox},
      {"version: never answers",
       {200, "200", Ending::kNeverAnswer},
       std::nullopt,
       kCannotConnectBox,
       kImpatient},
      {"database: 404", v200, ScriptedAnswer{404, kNewDatabase}, kCannotConnectBox},
      {"database: redirect", v200, ScriptedAnswer::Redirect(301, "/elsewhere", kNewDatabase),
       kCannotConnectBox},
      {"database: too long", v200, ScriptedAnswer{200, tooLong}, kUpdateFailedBox},
      {"database: too long, no length", v200, ScriptedAnswer{200, tooLong, Ending::kNoLength},
       kUpdateFailedBox},
      {"database: garbage", v200, ScriptedAnswer{200, "<html>busy</html>"}, kUpdateFailedBox},
      {"database: negative version", v200, ScriptedAnswer{200, "-200\r\n"}, kUpdateFailedBox},
      {"database: version line without an end", v200, ScriptedAnswer{200, "200"}, kUpdateFailedBox},
      {"no folder", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kPatient,
       FaultPoint::kCreate},
      {"write fails", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kPatient,
       FaultPoint::kWrite},
      {"rename refused", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kPatient,
       FaultPoint::kRename},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TestHttpServer server;
    server.Answer(kVersionPath, row.version);
    if (row.database) server.Answer(kDatabasePath, *row.database);
    if (row.fault) platform::FailNext(*row.fault);
    ExpectFails(server.Url(), {row.box}, row.timeouts);
    platform::ClearFaults();
  }
}

TEST_F(DatabaseUpdateFailureThreaded, NoUsableServerOrProxyFailsWithoutARequest) {
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200"});
  const std::string port = server.Url().substr(server.Url().rfind(':'));
  const RefusingPort refusing;
  for (const std::string& configured :
       {std::string(), "127.0.0.1" + port, "ftp://127.0.0.1" + port, refusing.Url()}) {
    ExpectFails(configured, {kCannotConnectBox});
  }
  environment_.Set("http_proxy", refusing.Url());
  ExpectFails(server.Url(), {kCannotConnectBox});
  environment_.Set("http_proxy", std::string(256, 'p'));  // cannot be learnt
  ExpectFails(server.Url(), {kCannotDownloadBox, kCannotConnectBox});
  EXPECT_TRUE(server.Targets().empty());
}

}  // namespace
}  // namespace kv::testing
