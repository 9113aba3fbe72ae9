// Every way the update can fail, against a real server: each row's boxes,
// the failed result, and the old database still on disk byte for byte and
// still the published snapshot, with the connection given back.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/update_bench.h"

namespace kv::testing {
namespace {

using Ending = ScriptedAnswer::Ending;

class DatabaseUpdateFailureThreaded : public UpdateBench {
 protected:
  // Runs one update against a fresh server answering `version` and, when
  // given, `database`; expects a failure with `boxes` and nothing changed.
  void ExpectFails(const std::string& what, const ScriptedAnswer& version,
                   const std::optional<ScriptedAnswer>& database,
                   const std::vector<std::string>& boxes,
                   const platform::HttpTimeouts& timeouts = kPatient) {
    TestHttpServer server;
    server.Answer(kVersionPath, version);
    if (database) server.Answer(kDatabasePath, *database);
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url(), timeouts)), UpdateResult::kFailed) << what;
    EXPECT_EQ(TakeBoxes(), boxes) << what;
    ExpectNothingChanged(what);
  }
};

TEST_F(DatabaseUpdateFailureThreaded, TheVersionRequestFails) {
  const struct {
    const char* what;
    ScriptedAnswer version;
    std::string box;
    platform::HttpTimeouts timeouts;
  } rows[] = {
      {"empty version body", {200, ""}, kNoVersionBox, kPatient},
      {"version body starting with a zero byte",
       {200, std::string("\0"
                         "300",
                         4)},
       kNoVersionBox,
       kPatient},
      {"404", {404, "200"}, kCannotConnectBox, kPatient},
      {"500", {500, "200"}, kCannotConnectBox, kPatient},
      {"redirect", ScriptedAnswer::Redirect(302, kDatabasePath, "200"), kCannotConnectBox,
       kPatient},
      {"closed mid-body", {200, "2000000", Ending::kCloseMidBody}, kCannotConnectBox, kPatient},
      {"over 10240 bytes", {200, std::string(10241, '2')}, kUpdateFailedBox, kPatient},
      {"never answers", {200, "200", Ending::kNeverAnswer}, kCannotConnectBox, kImpatient},
  };
  for (const auto& row : rows) {
    ExpectFails(row.what, row.version, std::nullopt, {row.box}, row.timeouts);
  }
}

TEST_F(DatabaseUpdateFailureThreaded, TheDatabaseRequestFails) {
  const std::string tooLong = "200\r\n" + std::string(10236, 'A');
  ASSERT_EQ(tooLong.size(), 10241u);
  const struct {
    const char* what;
    ScriptedAnswer database;
    std::string box;
    platform::HttpTimeouts timeouts;
  } rows[] = {
      {"404", {404, kNewDatabase}, kCannotConnectBox, kPatient},
      {"500", {500, kNewDatabase}, kCannotConnectBox, kPatient},
      {"redirect", ScriptedAnswer::Redirect(301, "/elsewhere", kNewDatabase), kCannotConnectBox,
       kPatient},
      {"closed mid-body", {200, kNewDatabase, Ending::kCloseMidBody}, kCannotConnectBox, kPatient},
      {"never answers", {200, kNewDatabase, Ending::kNeverAnswer}, kCannotConnectBox, kImpatient},
      {"over 10240 bytes", {200, tooLong}, kUpdateFailedBox, kPatient},
      {"over 10240 bytes, no length",
       {200, tooLong, Ending::kNoLength},
       kUpdateFailedBox,
       kPatient},
      {"garbage",
       {200, "<html><body>Service unavailable</body></html>"},
       kUpdateFailedBox,
       kPatient},
      {"empty", {200, ""}, kUpdateFailedBox, kPatient},
      {"version line with a blank", {200, "200 \r\nrest"}, kUpdateFailedBox, kPatient},
      {"negative version line", {200, "-200\r\n"}, kUpdateFailedBox, kPatient},
      {"version line beyond 32 bits", {200, "4294967496\r\n"}, kUpdateFailedBox, kPatient},
      {"version line ending in LF alone", {200, "200\nrest\n"}, kUpdateFailedBox, kPatient},
      {"version line without an end", {200, "200"}, kUpdateFailedBox, kPatient},
  };
  for (const auto& row : rows) {
    ExpectFails(row.what, {200, "200"}, row.database, {row.box}, row.timeouts);
  }
}

TEST_F(DatabaseUpdateFailureThreaded, TheNewFileCannotBeWritten) {
  const struct {
    const char* what;
    platform::FaultPoint fault;
  } rows[] = {{"unwritable database folder", platform::FaultPoint::kCreate},
              {"write fails, as on a full disk", platform::FaultPoint::kWrite},
              {"rename refused", platform::FaultPoint::kRename}};
  for (const auto& row : rows) {
    const platform::ScopedFault fault(row.fault);
    ExpectFails(row.what, {200, "200"}, ScriptedAnswer{200, kNewDatabase}, {kUpdateFailedBox});
  }
}

TEST_F(DatabaseUpdateFailureThreaded, NoServerOrNoProxyToReachIt) {
  const RefusingPort refusing;
  EXPECT_EQ(UpdateVirusDatabase(Context(refusing.Url())), UpdateResult::kFailed);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kCannotConnectBox});
  ExpectNothingChanged("the server refuses");

  environment_.Set("http_proxy", refusing.Url());
  ExpectFails("the proxy refuses", {200, "200"}, std::nullopt, {kCannotConnectBox});

  environment_.Set("http_proxy", std::string(256, 'p'));
  ExpectFails("the proxy cannot be learnt", {200, "200"}, std::nullopt,
              {kCannotDownloadBox, kCannotConnectBox});
}

TEST_F(DatabaseUpdateFailureThreaded, AnUnsetOrUnusableServerFailsWithoutARequest) {
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "200"});
  const std::string port = server.Url().substr(server.Url().rfind(':'));
  for (const std::string& configured :
       {std::string(), "127.0.0.1" + port, "ftp://127.0.0.1" + port}) {
    EXPECT_EQ(UpdateVirusDatabase(Context(configured)), UpdateResult::kFailed) << configured;
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kCannotConnectBox}) << configured;
    ExpectNothingChanged(configured);
  }
  EXPECT_TRUE(server.Targets().empty());
}

TEST_F(DatabaseUpdateFailureThreaded, EveryBoxIsAnOkBoxOwnedByTheWindow) {
  environment_.Set("http_proxy", std::string(256, 'p'));
  TestHttpServer server;
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kFailed);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  for (const ShownBox& box : boxes_.shown) {
    EXPECT_EQ(box.owner, &window_);
    EXPECT_EQ(box.buttons, platform::MessageButtons::kOk);
    EXPECT_EQ(box.icon, platform::MessageIcon::kWarning);
  }
}

}  // namespace
}  // namespace kv::testing
